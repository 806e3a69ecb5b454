// Program start and end on the emulated machine.
#include <fcntl.h>
#include <unistd.h>

#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "platform/emulated/machine.h"
#include "platform/emulated/machine_state.h"
#include "platform/platform.h"

namespace platform {
namespace {

// The launcher's own failure code.
constexpr uint32_t kLauncherFailed = 8115;

}  // namespace

uint32_t startProgram() {
  // A write to a pipe whose reader is gone fails, as on Windows, instead of
  // ending the program.
  std::signal(SIGPIPE, SIG_IGN);
  const emulated::MachineLocation location = emulated::machineLocation();
  if (!location.setupError.empty()) {
    std::fprintf(stderr, "The emulated Windows machine cannot be used: %s\n",
                 location.setupError.c_str());
    return kLauncherFailed;
  }
  std::string error;
  if (emulated::machineRegistry(&error) == nullptr) {
    std::fprintf(stderr, "The emulated Windows machine's registry is malformed: %s\n",
                 error.c_str());
    return kLauncherFailed;
  }
  return 0;
}

int finishProgram(uint32_t exitCode) {
  const char* file = std::getenv("KV7_EXIT_CODE_FILE");
  if (file != nullptr && *file != '\0') {
    const int fd = ::open(file, O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    if (fd >= 0) {
      const std::string text = std::to_string(exitCode);
      const ssize_t written = ::write(fd, text.data(), text.size());
      (void)written;
      ::close(fd);
    }
  }
  return static_cast<int>(exitCode & 0xFF);
}

}  // namespace platform
