#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string_view>

#include "installed/result_codes.h"

// Copies text and its terminator into a caller's buffer of size bytes:
// RC_MISSING_ARGUMENT for a null buffer, RC_BUFFER_TOO_SMALL (buffer
// untouched) when it cannot hold both.
inline uint32_t copyTextOut(std::string_view text, char* buffer, size_t size) {
  if (buffer == nullptr) return RC_MISSING_ARGUMENT;
  if (size < text.size() + 1) return RC_BUFFER_TOO_SMALL;
  std::memcpy(buffer, text.data(), text.size());
  buffer[text.size()] = '\0';
  return 0;
}
