#include <windows.h>

#include "platform/platform.h"
#include "platform/win32/library_loading.h"

namespace platform {
namespace {

using QueryProductState = int(WINAPI*)(LPCSTR);
using GetProductInfo = UINT(WINAPI*)(LPCSTR, LPCSTR, LPSTR, DWORD*);

// msi.dll is loaded on the first query and kept for the life of the process,
// as a delay-loaded import would be.
struct InstallerFunctions {
  QueryProductState queryProductState = nullptr;
  GetProductInfo getProductInfo = nullptr;
  DWORD loadError = ERROR_SUCCESS;
};

InstallerFunctions loadInstaller() {
  InstallerFunctions functions;
  HMODULE library = win32::loadSystemLibrary("msi.dll");
  if (library == nullptr) {
    functions.loadError = GetLastError();
    if (functions.loadError == ERROR_SUCCESS) functions.loadError = ERROR_MOD_NOT_FOUND;
    return functions;
  }
  functions.queryProductState =
      win32::procAddress<QueryProductState>(library, "MsiQueryProductStateA");
  functions.getProductInfo = win32::procAddress<GetProductInfo>(library, "MsiGetProductInfoA");
  if (functions.queryProductState == nullptr || functions.getProductInfo == nullptr) {
    functions.loadError = ERROR_PROC_NOT_FOUND;
  }
  return functions;
}

const InstallerFunctions& installer() {
  static const InstallerFunctions functions = loadInstaller();
  return functions;
}

}  // namespace

int msiQueryProductState(const char* productCode) {
  const InstallerFunctions& functions = installer();
  if (functions.queryProductState == nullptr) return kInstallStateUnknown;
  return functions.queryProductState(productCode);
}

uint32_t msiGetProductInfo(const char* productCode, const char* property, char* value,
                           uint32_t* size) {
  const InstallerFunctions& functions = installer();
  if (functions.getProductInfo == nullptr) return functions.loadError;
  DWORD valueSize = size != nullptr ? *size : 0;
  UINT result = functions.getProductInfo(productCode, property, value,
                                         size != nullptr ? &valueSize : nullptr);
  if (size != nullptr) *size = valueSize;
  return result;
}

}  // namespace platform
