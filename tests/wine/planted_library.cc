// A stand-in for a library of Windows ("shfolder.dll", "msi.dll") or of the
// product family ("KV7GENREG64.dll"), planted by the Wine tests where a
// careless program would pick it up: beside the program or in the current
// directory. It is built once and copied under each name.
//
// When a process loads it, it leaves a mark beside itself, "<its file
// name>.loaded", so a test sees whether it was loaded at all; and its
// functions answer what no real library would ("C:\planted"), so a test also
// sees it in a program's output.

#include <windows.h>

#include <cstdint>
#include <cstring>

namespace {

constexpr char kPlantedFolder[] = "C:\\planted";
constexpr int kInstallStateDefault = 5;
constexpr uint32_t kOssNoMoreInstances = 0x900001BEu;

void leaveMark(HINSTANCE self) {
  char path[MAX_PATH + 16] = {};
  const DWORD length = GetModuleFileNameA(self, path, MAX_PATH);
  if (length == 0 || length >= MAX_PATH) return;
  std::strcat(path, ".loaded");
  HANDLE mark =
      CreateFileA(path, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (mark != INVALID_HANDLE_VALUE) CloseHandle(mark);
}

int instanceListToken = 0;

}  // namespace

extern "C" {

// shfolder.dll
__declspec(dllexport) HRESULT WINAPI SHGetFolderPathA(HWND, int, HANDLE, DWORD, LPSTR path) {
  std::strcpy(path, kPlantedFolder);
  return S_OK;
}

// msi.dll
__declspec(dllexport) int WINAPI MsiQueryProductStateA(LPCSTR) { return kInstallStateDefault; }

__declspec(dllexport) UINT WINAPI MsiGetProductInfoA(LPCSTR, LPCSTR, LPSTR value, DWORD* size) {
  const DWORD length = sizeof kPlantedFolder - 1;
  if (value == nullptr || size == nullptr || *size <= length) {
    if (size != nullptr) *size = length;
    return ERROR_MORE_DATA;
  }
  std::memcpy(value, kPlantedFolder, length + 1);
  *size = length;
  return ERROR_SUCCESS;
}

// KV7GENREG64.dll
__declspec(dllexport) uint32_t ossOpenInstanceList(const char*, void** handle, bool) {
  *handle = &instanceListToken;
  return 0;
}

__declspec(dllexport) uint32_t ossGetNextInstance(void*, void*) { return kOssNoMoreInstances; }

__declspec(dllexport) uint32_t ossCloseInstanceList(void*) { return 0; }

BOOL WINAPI DllMain(HINSTANCE self, DWORD reason, LPVOID) {
  if (reason == DLL_PROCESS_ATTACH) leaveMark(self);
  return TRUE;
}

}  // extern "C"
