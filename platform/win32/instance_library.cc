#include <windows.h>

#include "platform/platform.h"
#include "platform/win32/library_loading.h"

namespace platform {
namespace {

constexpr uint32_t kRcFailed = 0x90000002u;

using OpenInstanceList = uint32_t (*)(const char*, InstanceListHandle*, bool);
using GetNextInstance = uint32_t (*)(InstanceListHandle, void*);
using CloseInstanceList = uint32_t (*)(InstanceListHandle);

// The family's library is loaded on first use and kept for the life of the
// process.
struct InstanceFunctions {
  OpenInstanceList open = nullptr;
  GetNextInstance next = nullptr;
  CloseInstanceList close = nullptr;
};

InstanceFunctions loadInstanceLibrary() {
  InstanceFunctions functions;
  HMODULE library = win32::loadFamilyLibrary("KV7GENREG64.dll");
  if (library == nullptr) return functions;
  functions.open = win32::procAddress<OpenInstanceList>(library, "ossOpenInstanceList");
  functions.next = win32::procAddress<GetNextInstance>(library, "ossGetNextInstance");
  functions.close = win32::procAddress<CloseInstanceList>(library, "ossCloseInstanceList");
  return functions;
}

const InstanceFunctions& instanceLibrary() {
  static const InstanceFunctions functions = loadInstanceLibrary();
  return functions;
}

}  // namespace

uint32_t ossOpenInstanceList(const char* family, InstanceListHandle* handle, bool flag) {
  OpenInstanceList open = instanceLibrary().open;
  return open != nullptr ? open(family, handle, flag) : kRcFailed;
}

uint32_t ossGetNextInstance(InstanceListHandle handle, void* info) {
  GetNextInstance next = instanceLibrary().next;
  return next != nullptr ? next(handle, info) : kRcFailed;
}

uint32_t ossCloseInstanceList(InstanceListHandle handle) {
  CloseInstanceList close = instanceLibrary().close;
  return close != nullptr ? close(handle) : kRcFailed;
}

}  // namespace platform
