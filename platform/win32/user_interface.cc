#include <windows.h>

#include "platform/platform.h"

namespace platform {

static_assert(sizeof(wchar_t) == sizeof(char16_t), "UTF-16 wide characters");

int messageBoxW(const char16_t* text, const char16_t* caption, uint32_t style) {
  return MessageBoxW(nullptr, reinterpret_cast<const wchar_t*>(text),
                     reinterpret_cast<const wchar_t*>(caption), style);
}

void outputDebugString(const char* text) { OutputDebugStringA(text); }

bool isConsole(Handle handle) {
  DWORD mode = 0;
  return handle != nullptr && handle != INVALID_HANDLE_VALUE && GetConsoleMode(handle, &mode) != 0;
}

bool writeConsoleW(Handle handle, const char16_t* text, uint32_t length) {
  // A console takes a long text in several writes.
  while (length > 0) {
    DWORD written = 0;
    if (!WriteConsoleW(handle, text, length, &written, nullptr) || written == 0) return false;
    text += written;
    length -= written;
  }
  return true;
}

}  // namespace platform
