#pragma once

#include <cstdint>
#include <cstring>
#include <string_view>

namespace emulated {

// The Win32 way of handing a text to a caller's buffer of size bytes: the
// length written, or, when text and terminator do not fit, the size needed
// with the terminator (and the buffer untouched).
inline uint32_t copyTextOutWin32(std::string_view text, char* buffer, uint32_t size) {
  if (buffer == nullptr || text.size() + 1 > size) return static_cast<uint32_t>(text.size() + 1);
  std::memcpy(buffer, text.data(), text.size());
  buffer[text.size()] = '\0';
  return static_cast<uint32_t>(text.size());
}

}  // namespace emulated
