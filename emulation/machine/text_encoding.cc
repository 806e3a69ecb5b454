#include <cstring>
#include <string>

#include "emulation/machine/code_page.h"
#include "emulation/machine/last_error.h"
#include "platform/platform.h"

namespace platform {
namespace {

// The emulated machine's ANSI code page (see code_page.h).
constexpr uint32_t kEmulatedAnsiCodePage = 1252;

}  // namespace

uint32_t ansiToUtf8(const char* ansi, char* buffer, uint32_t size) {
  std::string utf8 = emulated::ansiToUtf8(ansi != nullptr ? ansi : "");
  if (utf8.size() + 1 > size) return static_cast<uint32_t>(utf8.size() + 1);
  std::memcpy(buffer, utf8.c_str(), utf8.size() + 1);
  return static_cast<uint32_t>(utf8.size());
}

uint32_t ansiCodePage() { return kEmulatedAnsiCodePage; }

uint32_t multiByteToWide(uint32_t codePage, const char* text, uint32_t length, char16_t* wide,
                         uint32_t size) {
  if (text == nullptr || length == 0 || (wide == nullptr && size != 0)) {
    emulated::setLastError(kErrorInvalidParameter);
    return 0;
  }
  std::u16string utf16;
  if (!emulated::codePageToUtf16(codePage == 0 ? kEmulatedAnsiCodePage : codePage,
                                 std::string_view(text, length), &utf16)) {
    emulated::setLastError(kErrorInvalidParameter);
    return 0;
  }
  if (size == 0) return static_cast<uint32_t>(utf16.size());
  if (utf16.size() > size) {
    emulated::setLastError(kErrorInsufficientBuffer);
    return 0;
  }
  std::memcpy(wide, utf16.data(), utf16.size() * sizeof(char16_t));
  return static_cast<uint32_t>(utf16.size());
}

}  // namespace platform
