#include <cstring>
#include <string>

#include "emulation/machine/code_page.h"
#include "platform/platform.h"

namespace platform {

uint32_t ansiToUtf8(const char* ansi, char* buffer, uint32_t size) {
  std::string utf8 = emulated::ansiToUtf8(ansi != nullptr ? ansi : "");
  if (utf8.size() + 1 > size) return static_cast<uint32_t>(utf8.size() + 1);
  std::memcpy(buffer, utf8.c_str(), utf8.size() + 1);
  return static_cast<uint32_t>(utf8.size());
}

}  // namespace platform
