// Program start and end on the emulated machine.
#include <fcntl.h>
#include <unistd.h>

#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "emulation/machine/exit_code_channel.h"
#include "emulation/machine/machine.h"
#include "emulation/machine/machine_state.h"
#include "platform/platform.h"

namespace platform {
namespace {

// The launcher's own failure code.
constexpr uint32_t kLauncherFailed = 8115;

}  // namespace

uint32_t startProgram() {
  emulated::prepareExitCodeHandOver();
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
  emulated::handOverExitCode(exitCode);
  return static_cast<int>(exitCode & 0xFF);
}

}  // namespace platform

namespace emulated {

void stopProgram(const std::string& message) {
  std::fflush(stdout);
  std::fprintf(stderr, "%s\n", message.c_str());
  std::fflush(stderr);
  // Other threads may be anywhere: the program ends at once, without the
  // exit handlers that could wait for them.
  ::_exit(platform::finishProgram(platform::kLauncherFailed));
}

}  // namespace emulated
