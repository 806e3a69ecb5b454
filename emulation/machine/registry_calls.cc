// The registry calls of the platform interface, answered from the machine's
// registry file.
#include <cstring>
#include <memory>
#include <mutex>
#include <unordered_set>

#include "emulation/machine/code_page.h"
#include "emulation/machine/last_error.h"
#include "emulation/machine/registry_view.h"
#include "platform/platform.h"

namespace platform {
namespace {

// Open key handles, so that a stale or foreign handle answers 6 instead of
// being followed.
struct KeyHandles {
  std::mutex mutex;
  std::unordered_set<const emulated::OpenedKey*> open;
};

KeyHandles& keyHandles() {
  static KeyHandles* handles = new KeyHandles;
  return *handles;
}

const emulated::OpenedKey* findKey(RegKey key) {
  KeyHandles& handles = keyHandles();
  std::lock_guard<std::mutex> lock(handles.mutex);
  const auto it = handles.open.find(static_cast<const emulated::OpenedKey*>(key));
  return it == handles.open.end() ? nullptr : *it;
}

bool isText(uint32_t type) { return type == kRegSz || type == kRegExpandSz || type == kRegMultiSz; }

// The bytes RegQueryValueEx hands out: texts with their terminator, in ANSI
// for the A call and UTF-16 for the W call; anything else as stored.
std::string valueBytes(const emulated::RegistryValue& value, bool wide) {
  if (!isText(value.type)) return value.data;
  std::u16string text = emulated::bytesToUtf16(value.data);
  if (text.empty() || text.back() != u'\0') text += u'\0';
  if (wide) return emulated::utf16ToBytes(text);
  return emulated::utf16ToAnsi(text);
}

uint32_t queryValue(RegKey key, const std::string& utf8Name, bool wide, uint32_t* type, void* data,
                    uint32_t* size) {
  const emulated::OpenedKey* opened = findKey(key);
  if (opened == nullptr) return kErrorInvalidHandle;
  if (data != nullptr && size == nullptr) return kErrorInvalidParameter;
  const emulated::RegistryValue* value = opened->key->findValue(utf8Name);
  if (value == nullptr) return kErrorFileNotFound;
  if (type != nullptr) *type = value->type;
  const std::string bytes = valueBytes(*value, wide);
  if (size == nullptr) return kErrorSuccess;
  const uint32_t needed = static_cast<uint32_t>(bytes.size());
  if (data == nullptr) {
    *size = needed;
    return kErrorSuccess;
  }
  if (*size < needed) {
    *size = needed;
    return kErrorMoreData;
  }
  std::memcpy(data, bytes.data(), bytes.size());
  *size = needed;
  return kErrorSuccess;
}

}  // namespace

uint32_t regOpenKey(const char* subKey, uint32_t access, RegKey* key) {
  if (key == nullptr) return kErrorInvalidParameter;
  *key = nullptr;
  auto opened = std::make_unique<emulated::OpenedKey>();
  const uint32_t result = emulated::openMachineKey(emulated::ansiToUtf8(subKey ? subKey : ""),
                                                   (access & kKeyWow64_32Key) != 0, opened.get());
  if (result != kErrorSuccess) return result;
  KeyHandles& handles = keyHandles();
  std::lock_guard<std::mutex> lock(handles.mutex);
  handles.open.insert(opened.get());
  *key = opened.release();
  return kErrorSuccess;
}

uint32_t regQueryValue(RegKey key, const char* valueName, uint32_t* type, void* data,
                       uint32_t* size) {
  return queryValue(key, emulated::ansiToUtf8(valueName ? valueName : ""), false, type, data, size);
}

uint32_t regQueryValueW(RegKey key, const char16_t* valueName, uint32_t* type, void* data,
                        uint32_t* size) {
  std::u16string name;
  for (const char16_t* c = valueName; c != nullptr && *c != u'\0'; ++c) name += *c;
  return queryValue(key, emulated::utf16ToUtf8(name), true, type, data, size);
}

uint32_t regEnumKey(RegKey key, uint32_t index, char* name, uint32_t* nameSize) {
  const emulated::OpenedKey* opened = findKey(key);
  if (opened == nullptr) return kErrorInvalidHandle;
  if (name == nullptr || nameSize == nullptr) return kErrorInvalidParameter;
  const auto& subkeys = opened->key->subkeys();
  if (index >= subkeys.size()) return kErrorNoMoreItems;
  const std::string text = emulated::utf8ToAnsi(subkeys[index]->name());
  if (text.size() + 1 > *nameSize) return kErrorMoreData;
  std::memcpy(name, text.c_str(), text.size() + 1);
  *nameSize = static_cast<uint32_t>(text.size());
  return kErrorSuccess;
}

uint32_t regCloseKey(RegKey key) {
  KeyHandles& handles = keyHandles();
  std::unique_ptr<const emulated::OpenedKey> opened;
  {
    std::lock_guard<std::mutex> lock(handles.mutex);
    const auto it = handles.open.find(static_cast<const emulated::OpenedKey*>(key));
    if (it == handles.open.end()) return kErrorInvalidHandle;
    opened.reset(*it);
    handles.open.erase(it);
  }
  return kErrorSuccess;
}

uint16_t getSystemDefaultLangId() {
  constexpr uint16_t kEnglishUnitedStates = 0x0409;
  emulated::OpenedKey opened;
  if (emulated::openMachineKey("SYSTEM\\CurrentControlSet\\Control\\Nls\\Language", false,
                               &opened) != kErrorSuccess) {
    return kEnglishUnitedStates;
  }
  const emulated::RegistryValue* value = opened.key->findValue("Default");
  std::string text;
  if (value == nullptr || value->type == kRegDword || !emulated::valueAsText(*value, &text) ||
      text.empty() || text.size() > 4) {
    return kEnglishUnitedStates;
  }
  uint16_t id = 0;
  for (char c : text) {
    int digit;
    if (c >= '0' && c <= '9') {
      digit = c - '0';
    } else if (c >= 'a' && c <= 'f') {
      digit = c - 'a' + 10;
    } else if (c >= 'A' && c <= 'F') {
      digit = c - 'A' + 10;
    } else {
      return kEnglishUnitedStates;
    }
    id = static_cast<uint16_t>(id * 16 + digit);
  }
  return id;
}

}  // namespace platform
