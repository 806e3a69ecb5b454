#pragma once

#include <cstdint>

#include "base/fixed_text.h"
#include "platform/platform.h"

// An open registry key under HKEY_LOCAL_MACHINE, closed when it goes out of
// scope, so that no early return leaves a key open.
class RegistryKey {
 public:
  RegistryKey() = default;
  RegistryKey(const RegistryKey&) = delete;
  RegistryKey& operator=(const RegistryKey&) = delete;
  ~RegistryKey() { close(); }

  // The registry's result code of the open.
  uint32_t open(const char* subKey, uint32_t access);
  void close();
  bool isOpen() const { return key_ != nullptr; }
  platform::RegKey handle() const { return key_; }

  // Reads a value into buffer, giving the registry `capacity` as the size;
  // the registry's result code. On success the text is terminated within
  // capacity, whatever the value held, and *length (when given) receives the
  // size the registry reported.
  uint32_t readText(const char* valueName, char* buffer, uint32_t capacity,
                    uint32_t* length = nullptr) const;

  // The same into a fixed text; the text is emptied when the read fails.
  template <std::size_t N>
  uint32_t readText(const char* valueName, FixedText<N>* text) const {
    uint32_t rc = readText(valueName, text->data(), static_cast<uint32_t>(N));
    if (rc != platform::kErrorSuccess) text->data()[0] = '\0';
    text->syncLength();
    return rc;
  }

 private:
  platform::RegKey key_ = nullptr;
};
