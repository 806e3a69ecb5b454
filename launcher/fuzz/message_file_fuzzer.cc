// Arbitrary message files and message texts. The input's first line is the
// key looked up, the rest is the message file of a locale whose English
// file holds a few keys of its own. A text looked up always ends within the
// caller's buffer, and every text formats with the launcher's arguments
// without reading or writing beyond them.
#include <fcntl.h>
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <string>
#include <vector>

#include "emulation/machine/host_files.h"
#include "emulation/machine/machine.h"
#include "launcher/message_catalog.h"
#include "launcher/message_format.h"

namespace {

struct Messages {
  std::string dir;         // host directory of the locales
  std::string windowsDir;  // the same as a Windows path
};

const Messages& messages() {
  static const Messages made = [] {
    // A folder of this process's own, removed at its end (a run in fork
    // mode starts many such processes).
    static char folder[] = "/tmp/kv7-message-fuzz-XXXXXX";
    if (::mkdtemp(folder) == nullptr) std::abort();
    std::atexit([] { emulated::removeHostTree(folder); });
    const std::string base = folder;
    ::setenv("KV7_MACHINE", (base + "/machine").c_str(), 1);
    Messages m{base + "/launchmsg", ""};
    emulated::makeHostDirectories(m.dir + "/de_DE");
    emulated::makeHostDirectories(m.dir + "/en_US");
    emulated::writeHostFileAtomically(m.dir + "/en_US/Launch.pro",
                                      "CLI_SETUP=CLI Setup\r\nERROR_RETURN_CODE=Return code %d\r\n"
                                      "ERROR_ACCESSING=Cannot use %s.\r\n",
                                      nullptr);
    m.windowsDir = emulated::toWindowsPath(m.dir);
    return m;
  }();
  return made;
}

void expectTerminatedWithin(const char* text, std::size_t capacity) {
  if (std::memchr(text, '\0', capacity) == nullptr) __builtin_trap();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size) {
  const Messages& m = messages();
  const std::string input(reinterpret_cast<const char*>(data), size);
  const std::size_t lineEnd = input.find('\n');
  const std::string key = input.substr(0, std::min<std::size_t>(lineEnd, 64));
  const std::string file = lineEnd == std::string::npos ? "" : input.substr(lineEnd + 1);
  if (!(std::ofstream(m.dir + "/de_DE/Launch.pro", std::ios::binary) << file)) return 0;

  for (const std::size_t capacity : {std::size_t{1}, std::size_t{17}, std::size_t{4097}}) {
    std::string buffer(capacity, 'x');
    lookupMessage((m.windowsDir + "\\de_DE").c_str(), key.c_str(), buffer.data(), capacity);
    expectTerminatedWithin(buffer.data(), capacity);
    const std::string text = buffer.c_str();
    const std::string one = formatMessage(text.c_str(), {"C:\\temp"});
    std::vector<TextSpan> spans;
    const std::string two = formatMessage(text.c_str(), {"first", nullptr}, &spans);
    // Each argument's span lies in the text, after the one before, and holds
    // the argument's bytes (all of them, or as many as a precision keeps).
    std::size_t previousEnd = 0;
    const char* const arguments[] = {"first", ""};
    for (std::size_t i = 0; i < spans.size(); ++i) {
      const TextSpan& span = spans[i];
      if (i >= 2 || span.begin < previousEnd || span.end < span.begin || span.end > two.size() ||
          std::string(arguments[i]).rfind(two.substr(span.begin, span.end - span.begin), 0) != 0) {
        __builtin_trap();
      }
      previousEnd = span.end;
    }
    const std::string number = formatMessage(text.c_str(), -8115);
    if (formatFitsStrings(text.c_str(), 1) && formatFitsOneInt(text.c_str())) __builtin_trap();
    if (!formatFitsStrings(text.c_str(), 1) && one != text) __builtin_trap();
    if (!formatFitsOneInt(text.c_str()) && number != text) __builtin_trap();
    (void)two;
  }
  // The whole input as one message text, whatever a message file could hold.
  formatMessage(input.c_str(), {"a", "b", "c"});
  formatMessage(input.c_str(), 0);
  return 0;
}
