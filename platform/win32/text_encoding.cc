#include <windows.h>

#include <vector>

#include "platform/platform.h"

namespace platform {

uint32_t ansiToUtf8(const char* ansi, char* buffer, uint32_t size) {
  if (ansi == nullptr) ansi = "";
  int wideLength = MultiByteToWideChar(CP_ACP, 0, ansi, -1, nullptr, 0);
  std::vector<wchar_t> wide(wideLength > 0 ? static_cast<std::size_t>(wideLength) : 1, L'\0');
  if (wideLength > 0) MultiByteToWideChar(CP_ACP, 0, ansi, -1, wide.data(), wideLength);
  int needed = WideCharToMultiByte(CP_UTF8, 0, wide.data(), -1, nullptr, 0, nullptr, nullptr);
  if (needed <= 0) needed = 1;  // a text that cannot be converted reads as empty
  if (static_cast<uint32_t>(needed) > size) return static_cast<uint32_t>(needed);
  buffer[0] = '\0';
  WideCharToMultiByte(CP_UTF8, 0, wide.data(), -1, buffer, needed, nullptr, nullptr);
  return static_cast<uint32_t>(needed - 1);
}

uint32_t ansiCodePage() { return GetACP(); }

uint32_t multiByteToWide(uint32_t codePage, const char* text, uint32_t length, char16_t* wide,
                         uint32_t size) {
  if (length == 0) return 0;
  const int written = MultiByteToWideChar(codePage, 0, text, static_cast<int>(length),
                                          reinterpret_cast<wchar_t*>(wide), static_cast<int>(size));
  return written > 0 ? static_cast<uint32_t>(written) : 0;
}

}  // namespace platform
