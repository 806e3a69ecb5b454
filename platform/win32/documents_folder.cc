#include <windows.h>

#include <cstring>

#include "platform/platform.h"
#include "platform/win32/library_loading.h"

namespace platform {
namespace {

constexpr int kCsidlPersonal = 5;  // the user's documents folder
using GetFolderPath = HRESULT(WINAPI*)(HWND, int, HANDLE, DWORD, LPSTR);

}  // namespace

int documentsFolder(char* buffer, uint32_t size) {
  if (buffer == nullptr) return -1;
  HMODULE library = win32::loadSystemLibrary("shfolder.dll");
  if (library == nullptr) return -1;
  int result = -1;
  auto getFolderPath = win32::procAddress<GetFolderPath>(library, "SHGetFolderPathA");
  if (getFolderPath != nullptr) {
    char folder[MAX_PATH] = {};
    if (getFolderPath(nullptr, kCsidlPersonal, nullptr, 0, folder) == S_OK) {
      std::size_t length = strnlen(folder, sizeof(folder));
      // A folder that does not fit the caller's buffer is refused, not cut.
      if (length < sizeof(folder) && length < size) {
        std::memcpy(buffer, folder, length + 1);
        result = 0;
      }
    }
  }
  FreeLibrary(library);
  return result;
}

}  // namespace platform
