// What a person sees of the staged setup on an emulated machine whose code
// page (1252) is not that of most languages: every language drawn in its own
// letters, on a terminal too, while what goes into a pipe keeps the message
// file's bytes.
#include <gtest/gtest.h>

#include <pty.h>
#include <strings.h>
#include <sys/wait.h>
#include <termios.h>
#include <unistd.h>

#include <cerrno>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "launcher/language_table.h"
#include "tests/machine_with_image.h"

namespace {

namespace fs = std::filesystem;

constexpr uint32_t kLauncherFailed = 8115;

// A text of a language's message source (UTF-8), as the person must see it.
std::string sourceMessage(const std::string& localeDir, const std::string& key) {
  for (const auto& entry : fs::directory_iterator(KV7_MESSAGE_SOURCE_DIR)) {
    // The table spells some locale directories in another letter case.
    if (strcasecmp(entry.path().filename().c_str(), localeDir.c_str()) != 0) continue;
    std::ifstream file(entry.path() / "Launch.pro");
    std::string line;
    while (std::getline(file, line)) {
      if (line.rfind(key + "=", 0) == 0) return line.substr(key.size() + 1);
    }
  }
  return "<" + key + " missing in " + localeDir + ">";
}

TEST(ShownTextEndToEnd, EveryLanguageIsDrawnInItsOwnLettersOnAnEnglishSystem) {
  MachineWithImage m;
  m.setSystemLanguage("0409");
  m.commitRegistry();
  for (const LanguageRow& language : kLanguageTable) {
    const auto run = m.setup({"/i", language.optionCode, "/z"});
    EXPECT_EQ(run.exitCode, kLauncherFailed) << language.optionCode;
    const std::string box = "+--- " + sourceMessage(language.localeDir, "CLI_SETUP") + " ---\n| " +
                            sourceMessage(language.localeDir, "IMSG_LAUNCHER_ERROR_UNKNOWN_PARAM") +
                            "\n+--- [OK]\n";
    EXPECT_EQ(run.err.substr(0, box.size()), box) << language.optionCode;
  }
}

// Runs the staged setup with a terminal as its standard output and error,
// in raw mode so that the line ends arrive as written.
std::string onTerminal(MachineWithImage& m, const std::vector<std::string>& args) {
  const std::string program =
      m.machine().hostPath(std::string(MachineWithImage::kImageDir) + "setup");
  struct termios raw {};
  cfmakeraw(&raw);
  int master = -1;
  const pid_t child = forkpty(&master, nullptr, &raw, nullptr);
  if (child == 0) {
    std::vector<char*> argv{const_cast<char*>(program.c_str())};
    for (const std::string& a : args) argv.push_back(const_cast<char*>(a.c_str()));
    argv.push_back(nullptr);
    ::execv(program.c_str(), argv.data());
    _exit(127);
  }
  std::string out;
  char buffer[4096];
  for (;;) {
    const ssize_t n = ::read(master, buffer, sizeof buffer);
    if (n > 0) {
      out.append(buffer, static_cast<std::size_t>(n));
    } else if (n < 0 && errno == EINTR) {
      continue;
    } else {
      break;  // EIO: the terminal's last holder has gone
    }
  }
  ::close(master);
  int status = 0;
  ::waitpid(child, &status, 0);
  return out;
}

TEST(ShownTextEndToEnd, ATerminalShowsTheDecodedTextAPipeTheMessageFilesBytes) {
  MachineWithImage m;
  m.commitRegistry();
  const std::vector<std::string> args = {"/i", "RU", "/u", "D:\\none.rsp", "/l", "C:\\ru.log"};
  const std::string shown = "\n" + sourceMessage("ru_ru", "CLI_SETUP") + ":\n" +
                            sourceMessage("ru_ru", "ERROR_RSP_FILE_INVALID") + "\n";
  std::string expected = shown;
  expected.replace(expected.find("%s"), 2, "D:\\none.rsp");
  const std::string terminal = onTerminal(m, args);
  EXPECT_EQ(terminal.substr(0, expected.size()), expected) << terminal;

  const auto piped = m.setup(args);
  std::string bytes = "\n" + m.stagedMessage("CLI_SETUP", "ru_ru") + ":\n" +
                      m.stagedMessage("ERROR_RSP_FILE_INVALID", "ru_ru") + "\n";
  bytes.replace(bytes.find("%s"), 2, "D:\\none.rsp");
  EXPECT_EQ(piped.out.substr(0, bytes.size()), bytes);
  EXPECT_NE(bytes, expected);  // 1251 is not UTF-8: the two really differ
}

}  // namespace
