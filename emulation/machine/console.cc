// The console and the debugger's output.
#include <fcntl.h>
#include <unistd.h>

#include <string>

#include "emulation/machine/code_page.h"
#include "emulation/machine/handle_table.h"
#include "emulation/machine/last_error.h"
#include "emulation/machine/machine.h"
#include "platform/platform.h"

namespace platform {

// The emulated program keeps its terminal: its standard streams are what
// the host gave it, and message boxes are drawn on standard error anyway.
void freeConsole() {}

// A console is a terminal on the host. It shows UTF-8, and its lines end in
// a line feed alone, as the emulated machine's console lines always do.
bool isConsole(Handle handle) {
  const auto file = emulated::findHandleOf<emulated::FileObject>(handle);
  return file != nullptr && ::isatty(file->fd()) == 1;
}

bool writeConsoleW(Handle handle, const char16_t* text, uint32_t length) {
  if (!isConsole(handle)) {
    emulated::setLastError(kErrorInvalidHandle);
    return false;
  }
  std::string utf8 = emulated::utf16ToUtf8(std::u16string_view(text, length));
  std::string lines;
  lines.reserve(utf8.size());
  for (std::size_t i = 0; i < utf8.size(); ++i) {
    if (utf8[i] == '\r' && i + 1 < utf8.size() && utf8[i + 1] == '\n') continue;
    lines += utf8[i];
  }
  uint32_t written = 0;
  return writeFile(handle, lines.data(), static_cast<uint32_t>(lines.size()), &written);
}

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
