// Takes the single-setup guard the way setup does and holds it until a file
// appears: setup_guard_holder <held marker> <release marker> [open], both
// Windows paths. Creates the held marker once the guard is taken; lets go
// when the release marker exists (or after a minute, so that a failed test
// leaves nothing behind). With "open" it only keeps the guard open, owned by
// whoever owns it. Exit code 0, or 1 when the guard was not to be had.
#include <chrono>
#include <cstdio>
#include <string>
#include <thread>

#include "platform/platform.h"

int main(int argc, char** argv) {
  uint32_t rc = platform::startProgram();
  if (rc) return platform::finishProgram(rc);
  const bool openOnly = argc == 4 && std::string(argv[3]) == "open";
  if (argc != 3 && !openOnly) return platform::finishProgram(2);

  platform::Handle mutex = platform::createMutex("ProtectKV7CLIInstall");
  if (mutex == nullptr ||
      (!openOnly && platform::waitForSingleObject(mutex, 0) != platform::kWaitObject0)) {
    return platform::finishProgram(1);
  }
  std::FILE* held = platform::openFile(argv[1], "w");
  if (held != nullptr) std::fclose(held);

  for (int i = 0; i < 6000 && platform::pathKind(argv[2]) == platform::PathKind::kMissing; ++i) {
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
  platform::releaseMutex(mutex);
  return platform::finishProgram(0);
}
