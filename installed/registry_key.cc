#include "installed/registry_key.h"

uint32_t RegistryKey::open(const char* subKey, uint32_t access) {
  close();
  platform::RegKey key = nullptr;
  uint32_t rc = platform::regOpenKey(subKey, access, &key);
  if (rc == platform::kErrorSuccess) key_ = key;
  return rc;
}

void RegistryKey::close() {
  if (key_ != nullptr) {
    platform::regCloseKey(key_);
    key_ = nullptr;
  }
}

uint32_t RegistryKey::readText(const char* valueName, char* buffer, uint32_t capacity,
                               uint32_t* length) const {
  if (buffer == nullptr || capacity == 0) return platform::kErrorInvalidParameter;
  uint32_t size = capacity;
  uint32_t rc = platform::regQueryValue(key_, valueName, nullptr, buffer, &size);
  if (rc != platform::kErrorSuccess) return rc;
  // Value types are not checked: a value that is not NUL-terminated text is
  // terminated here rather than read past its end.
  buffer[size < capacity ? size : capacity - 1] = '\0';
  if (length != nullptr) *length = size;
  return rc;
}
