#include "emulation/machine/last_error.h"

#include "platform/platform.h"

namespace emulated {
namespace {
thread_local uint32_t lastError = 0;
}  // namespace

void setLastError(uint32_t code) { lastError = code; }

}  // namespace emulated

namespace platform {

uint32_t getLastError() { return emulated::lastError; }

}  // namespace platform
