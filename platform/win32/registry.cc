#include <windows.h>

#include "platform/platform.h"

namespace platform {
namespace {

HKEY toKey(RegKey key) { return static_cast<HKEY>(key); }

}  // namespace

uint32_t regOpenKey(const char* subKey, uint32_t access, RegKey* key) {
  if (key == nullptr) return kErrorInvalidParameter;
  HKEY opened = nullptr;
  LONG result = RegOpenKeyExA(HKEY_LOCAL_MACHINE, subKey, 0, access, &opened);
  *key = result == ERROR_SUCCESS ? opened : nullptr;
  return static_cast<uint32_t>(result);
}

uint32_t regQueryValue(RegKey key, const char* valueName, uint32_t* type, void* data,
                       uint32_t* size) {
  DWORD valueType = 0;
  DWORD valueSize = size != nullptr ? *size : 0;
  LONG result =
      RegQueryValueExA(toKey(key), valueName, nullptr, type != nullptr ? &valueType : nullptr,
                       static_cast<BYTE*>(data), size != nullptr ? &valueSize : nullptr);
  if (type != nullptr) *type = valueType;
  if (size != nullptr) *size = valueSize;
  return static_cast<uint32_t>(result);
}

uint32_t regQueryValueW(RegKey key, const char16_t* valueName, uint32_t* type, void* data,
                        uint32_t* size) {
  static_assert(sizeof(wchar_t) == sizeof(char16_t), "Windows texts are UTF-16");
  DWORD valueType = 0;
  DWORD valueSize = size != nullptr ? *size : 0;
  LONG result = RegQueryValueExW(toKey(key), reinterpret_cast<const wchar_t*>(valueName), nullptr,
                                 type != nullptr ? &valueType : nullptr, static_cast<BYTE*>(data),
                                 size != nullptr ? &valueSize : nullptr);
  if (type != nullptr) *type = valueType;
  if (size != nullptr) *size = valueSize;
  return static_cast<uint32_t>(result);
}

uint32_t regEnumKey(RegKey key, uint32_t index, char* name, uint32_t* nameSize) {
  if (nameSize == nullptr) return kErrorInvalidParameter;
  DWORD size = *nameSize;
  LONG result = RegEnumKeyExA(toKey(key), index, name, &size, nullptr, nullptr, nullptr, nullptr);
  *nameSize = size;
  return static_cast<uint32_t>(result);
}

uint32_t regCloseKey(RegKey key) { return static_cast<uint32_t>(RegCloseKey(toKey(key))); }

}  // namespace platform
