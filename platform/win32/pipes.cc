#include <windows.h>

#include "platform/platform.h"

namespace platform {

bool createPipe(Handle* readEnd, Handle* writeEnd) {
  if (readEnd == nullptr || writeEnd == nullptr) return false;
  // Inheritable ends, so that a child started with inherited handles can
  // write into them.
  SECURITY_ATTRIBUTES attributes = {};
  static_assert(sizeof(attributes) == 24, "the 64-bit layout");
  attributes.nLength = sizeof(attributes);
  attributes.lpSecurityDescriptor = nullptr;
  attributes.bInheritHandle = TRUE;
  HANDLE reader = nullptr;
  HANDLE writer = nullptr;
  if (!CreatePipe(&reader, &writer, &attributes, 0)) return false;
  *readEnd = reader;
  *writeEnd = writer;
  return true;
}

bool duplicateHandle(Handle source, Handle* copy) {
  if (copy == nullptr) return false;
  HANDLE self = GetCurrentProcess();
  HANDLE duplicate = nullptr;
  if (!DuplicateHandle(self, source, self, &duplicate, 0, FALSE, DUPLICATE_SAME_ACCESS)) {
    return false;
  }
  *copy = duplicate;
  return true;
}

Handle getStdHandle(int which) { return GetStdHandle(static_cast<DWORD>(which)); }

bool setStdHandle(int which, Handle handle) {
  return SetStdHandle(static_cast<DWORD>(which), handle) != FALSE;
}

bool readFile(Handle handle, void* buffer, uint32_t size, uint32_t* read) {
  DWORD count = 0;
  BOOL ok = ReadFile(handle, buffer, size, &count, nullptr);
  if (read != nullptr) *read = count;
  return ok != FALSE;
}

bool writeFile(Handle handle, const void* buffer, uint32_t size, uint32_t* written) {
  DWORD count = 0;
  BOOL ok = WriteFile(handle, buffer, size, &count, nullptr);
  if (written != nullptr) *written = count;
  return ok != FALSE;
}

}  // namespace platform
