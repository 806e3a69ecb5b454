// The program's own command line, as GetCommandLineA hands it out.
#include <string>
#include <vector>

#include "base/fixed_text.h"
#include "emulation/machine/host_files.h"
#include "emulation/machine/program_arguments.h"
#include "platform/platform.h"

namespace platform {
namespace {

// The arguments this process was started with, after the program name.
std::vector<std::string> ownArguments() {
  std::string raw;
  std::vector<std::string> arguments;
  if (!emulated::readHostFile("/proc/self/cmdline", &raw, nullptr)) return arguments;
  std::size_t start = raw.find('\0');
  while (start != std::string::npos && start + 1 < raw.size()) {
    const std::size_t end = raw.find('\0', start + 1);
    arguments.push_back(raw.substr(start + 1, end - start - 1));
    start = end;
  }
  return arguments;
}

// The line a parent on the machine wrote, when it is the one this process
// was started with: a variable inherited past a host program that started
// something else of its own does not belong to that program. Else the line
// its arguments make, typed in a host shell and so put into the ANSI code
// page first.
std::string commandLineOfThisProcess() {
  const std::vector<std::string> arguments = ownArguments();
  if (const char* given = emulated::parentCommandLine(arguments)) return given;
  char self[kPathCapacity] = {};
  const uint32_t length = getModuleFileName(self, sizeof self);
  return emulated::joinCommandLine(length < sizeof self ? self : "",
                                   emulated::hostArgumentsInAnsi(arguments));
}

}  // namespace

const char* getCommandLine() {
  static const std::string line = commandLineOfThisProcess();
  return line.c_str();
}

}  // namespace platform
