// Holds a named mutex for the Wine tests, as a first setup would, until the
// test lets go.
//
//   mutex_holder <mutex name> <ready file> <release file> [open]
//
// Owns the mutex, then creates <ready file>, holding its own process id,
// and waits until <release file> exists (both Windows paths); then releases
// the mutex and ends with 0. With "open" it only keeps the mutex open, owned
// by whoever owns it. Exit code 1 when the mutex could not be had, 2 on bad
// usage, 3 when no release came within two minutes (a test that forgot to
// let go must not leave it running for ever).

#include <windows.h>

#include <cstdio>
#include <string>

namespace {

constexpr int kReleased = 0;
constexpr int kNoMutex = 1;
constexpr int kUsage = 2;
constexpr int kNeverReleased = 3;
constexpr DWORD kPollMs = 20;
constexpr DWORD kGiveUpMs = 120000;

bool exists(const char* path) { return GetFileAttributesA(path) != INVALID_FILE_ATTRIBUTES; }

// The ready file holds the process id, for a test that ends the holder.
bool createReadyFile(const char* path) {
  std::FILE* file = std::fopen(path, "w");
  if (file == nullptr) return false;
  const bool written = std::fprintf(file, "%lu\n", GetCurrentProcessId()) > 0;
  return std::fclose(file) == 0 && written;
}

}  // namespace

int main(int argc, char** argv) {
  const bool openOnly = argc == 5 && std::string(argv[4]) == "open";
  if (argc != 4 && !openOnly) {
    std::fprintf(stderr, "usage: mutex_holder <mutex name> <ready file> <release file> [open]\n");
    return kUsage;
  }
  // Taken as setup takes it: opened, then waited for without waiting.
  HANDLE mutex = CreateMutexA(nullptr, FALSE, argv[1]);
  if (mutex == nullptr || (!openOnly && WaitForSingleObject(mutex, 0) != WAIT_OBJECT_0)) {
    std::fprintf(stderr, "mutex_holder: %s is not free\n", argv[1]);
    return kNoMutex;
  }
  if (!createReadyFile(argv[2])) {
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
