#include <windows.h>

#include "platform/platform.h"

namespace platform {

uint32_t getModuleFileName(char* buffer, uint32_t size) {
  return GetModuleFileNameA(nullptr, buffer, size);
}

const char* getCommandLine() { return GetCommandLineA(); }

uint32_t getCurrentDirectory(uint32_t size, char* buffer) {
  return GetCurrentDirectoryA(size, buffer);
}

uint32_t getShortPathName(const char* longPath, char* shortPath, uint32_t size) {
  return GetShortPathNameA(longPath, shortPath, size);
}

uint32_t getSystemDirectory(char* buffer, uint32_t size) {
  return GetSystemDirectoryA(buffer, size);
}

uint16_t getSystemDefaultLangId() { return GetSystemDefaultLangID(); }

}  // namespace platform
