#include "emulation/machine/registry_view.h"

#include <vector>

#include "emulation/machine/code_page.h"
#include "emulation/machine/last_error.h"
#include "emulation/machine/machine.h"

namespace emulated {

uint32_t openMachineKey(std::string_view subKey, bool view32, OpenedKey* opened) {
  std::shared_ptr<const RegistryFile> registry = machineRegistry(nullptr);
  if (registry == nullptr) return kErrorRegistryCorrupt;
  const RegistryKey* key = registry->findKey("HKEY_LOCAL_MACHINE");
  if (key == nullptr) return 2;
  const std::vector<std::string_view> parts = splitKeyPath(subKey);
  for (std::size_t i = 0; i < parts.size(); ++i) {
    key = key->findSubkey(parts[i]);
    if (key == nullptr) return 2;
    const bool redirect = view32 && i == 0 && foldName(parts[0]) == "SOFTWARE" &&
                          (parts.size() == 1 || foldName(parts[1]) != "WOW6432NODE");
    if (redirect) {
      key = key->findSubkey("WOW6432Node");
      if (key == nullptr) return 2;
    }
  }
  opened->registry = std::move(registry);
  opened->key = key;
  return 0;
}

bool valueAsText(const RegistryValue& value, std::string* utf8) {
  if (value.type == 1 || value.type == 2) {
    std::u16string text = bytesToUtf16(value.data);
    const std::size_t end = text.find(u'\0');
    if (end != std::u16string::npos) text.resize(end);
    *utf8 = utf16ToUtf8(text);
    return true;
  }
  if (value.type == 4 && value.data.size() == 4) {
    uint32_t number = 0;
    for (int i = 3; i >= 0; --i) number = number << 8 | static_cast<unsigned char>(value.data[i]);
    *utf8 = std::to_string(number);
    return true;
  }
  return false;
}

}  // namespace emulated
