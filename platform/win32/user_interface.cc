#include <windows.h>

#include "platform/platform.h"

namespace platform {

int messageBox(const char* text, const char* caption, uint32_t style) {
  return MessageBoxA(nullptr, text, caption, style);
}

void outputDebugString(const char* text) { OutputDebugStringA(text); }

}  // namespace platform
