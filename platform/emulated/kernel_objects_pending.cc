// Kernel objects (mutexes, pipes, processes) are not emulated yet: every
// call fails with ERROR_NOT_SUPPORTED.
#include "platform/emulated/last_error.h"
#include "platform/platform.h"

namespace platform {
namespace {
constexpr uint32_t kErrorNotSupported = 50;
bool unsupported() {
  emulated::setLastError(kErrorNotSupported);
  return false;
}
}  // namespace

Handle createMutex(const char*) {
  unsupported();
  return nullptr;
}
uint32_t waitForSingleObject(Handle, uint32_t) {
  unsupported();
  return kWaitFailed;
}
bool releaseMutex(Handle) { return unsupported(); }
bool closeHandle(Handle) { return unsupported(); }
bool createPipe(Handle*, Handle*) { return unsupported(); }
bool duplicateHandle(Handle, Handle*) { return unsupported(); }
Handle getStdHandle(int) { return nullptr; }
bool setStdHandle(int, Handle) { return unsupported(); }
bool readFile(Handle, void*, uint32_t, uint32_t*) { return unsupported(); }
bool writeFile(Handle, const void*, uint32_t, uint32_t*) { return unsupported(); }
bool createProcess(const char*, const char*, Handle, Handle, ProcessInfo*) { return unsupported(); }
bool getExitCodeProcess(Handle, uint32_t*) { return unsupported(); }

}  // namespace platform
