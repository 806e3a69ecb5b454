#include <windows.h>

#include "platform/platform.h"

namespace platform {

Handle createMutex(const char* name) { return CreateMutexA(nullptr, FALSE, name); }

uint32_t waitForSingleObject(Handle handle, uint32_t milliseconds) {
  return WaitForSingleObject(handle, milliseconds);
}

bool releaseMutex(Handle mutex) { return ReleaseMutex(mutex) != FALSE; }

bool closeHandle(Handle handle) { return CloseHandle(handle) != FALSE; }

uint32_t getLastError() { return GetLastError(); }

void freeConsole() { FreeConsole(); }

}  // namespace platform
