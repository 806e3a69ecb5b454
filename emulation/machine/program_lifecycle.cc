// Program start and end on the emulated machine.
#include <fcntl.h>
#include <unistd.h>

#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <deque>
#include <string>
#include <vector>

#include "emulation/machine/exit_code_channel.h"
#include "emulation/machine/machine.h"
#include "emulation/machine/machine_state.h"
#include "emulation/machine/program_arguments.h"
#include "platform/platform.h"

namespace platform {
namespace {

// The launcher's own failure code.
constexpr uint32_t kLauncherFailed = 8115;

// A Windows program's runtime hands it its arguments in the ANSI code page:
// those typed in a host shell take their ANSI form in argv, in texts kept for
// the rest of the program.
void takeArgumentsInAnsi(int argc, char** argv) {
  const std::vector<std::string> given(argv + 1, argv + argc);
  if (emulated::parentCommandLine(given) != nullptr) return;  // ANSI already
  std::vector<std::string> ansi = emulated::hostArgumentsInAnsi(given);
  if (ansi == given) return;
  static std::deque<std::string> kept;
  for (int i = 1; i < argc; ++i) {
    kept.push_back(std::move(ansi[static_cast<std::size_t>(i - 1)]));
    argv[i] = kept.back().data();
  }
}

}  // namespace

uint32_t startProgram(int argc, char** argv) {
  if (argv != nullptr && argc > 1) takeArgumentsInAnsi(argc, argv);
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
