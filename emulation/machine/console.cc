// The console and the debugger's output.
#include <fcntl.h>
#include <unistd.h>

#include <string>

#include "emulation/machine/machine.h"
#include "platform/platform.h"

namespace platform {

// The emulated program keeps its terminal: its standard streams are what
// the host gave it, and message boxes are drawn on standard error anyway.
void freeConsole() {}

void outputDebugString(const char* text) {
  std::string line = text != nullptr ? text : "";
  if (!line.empty() && line.back() == '\n') line.pop_back();
  if (!line.empty() && line.back() == '\r') line.pop_back();
  line += '\n';
  const std::string log = emulated::machineDirectory() + "/debug.log";
  const int fd = ::open(log.c_str(), O_WRONLY | O_CREAT | O_APPEND | O_CLOEXEC, 0644);
  if (fd < 0) return;
  // One write per line: lines of processes that share the log stay whole.
  const ssize_t written = ::write(fd, line.data(), line.size());
  (void)written;
  ::close(fd);
}

}  // namespace platform
