// Holds a named mutex for the Wine tests, as a first setup would, until the
// test lets go.
//
//   mutex_holder <mutex name> <ready file> <release file>
//
// Owns the mutex, then creates <ready file> and waits until <release file>
// exists (both Windows paths); then releases the mutex and ends with 0. Exit
// code 1 when the mutex could not be had, 2 on bad usage, 3 when no release
// came within two minutes (a test that forgot to let go must not leave it
// running for ever).

#include <windows.h>

#include <cstdio>

namespace {

constexpr int kReleased = 0;
constexpr int kNoMutex = 1;
constexpr int kUsage = 2;
constexpr int kNeverReleased = 3;
constexpr DWORD kPollMs = 20;
constexpr DWORD kGiveUpMs = 120000;

bool exists(const char* path) { return GetFileAttributesA(path) != INVALID_FILE_ATTRIBUTES; }

bool createEmptyFile(const char* path) {
  HANDLE file =
      CreateFileA(path, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return false;
  CloseHandle(file);
  return true;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 4) {
    std::fprintf(stderr, "usage: mutex_holder <mutex name> <ready file> <release file>\n");
    return kUsage;
  }
  HANDLE mutex = CreateMutexA(nullptr, TRUE, argv[1]);
  if (mutex == nullptr || GetLastError() == ERROR_ALREADY_EXISTS) {
    std::fprintf(stderr, "mutex_holder: %s is not free\n", argv[1]);
    return kNoMutex;
  }
  if (!createEmptyFile(argv[2])) {
    std::fprintf(stderr, "mutex_holder: cannot create %s\n", argv[2]);
    ReleaseMutex(mutex);
    return kNoMutex;
  }
  for (DWORD waited = 0; !exists(argv[3]); waited += kPollMs) {
    if (waited >= kGiveUpMs) {
      ReleaseMutex(mutex);
      return kNeverReleased;
    }
    Sleep(kPollMs);
  }
  ReleaseMutex(mutex);
  CloseHandle(mutex);
  return kReleased;
}
