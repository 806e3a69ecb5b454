// The staged setup as a user meets it: its options, its messages in the
// run's language, the single-setup guard and its exit codes.
#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <regex>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "emulation/machine/host_files.h"
#include "emulation/machine/machine.h"
#include "platform/platform.h"
#include "tests/machine_with_image.h"

namespace {

namespace fs = std::filesystem;

constexpr uint32_t kLauncherFailed = 8115;
constexpr uint32_t kAnotherSetupRunning = 8100;

// text with its one conversion replaced by argument.
std::string withArgument(std::string text, const std::string& conversion,
                         const std::string& argument) {
  std::size_t at = text.find(conversion);
  if (at != std::string::npos) text.replace(at, conversion.size(), argument);
  return text;
}

// The first line of the usage text, without its line end.
std::string usageFirstLine(const MachineWithImage& m, const std::string& locale = "en_US") {
  return "setup [/?] [/i <" + m.stagedMessage("LANGUAGE", locale) + ">] [/l <" +
         m.stagedMessage("LOG_FILE", locale) + ">] [/n <" +
         m.stagedMessage("CLI_COPY_NAME", locale) + ">] [/p <" +
         m.stagedMessage("PATH_NAME", locale) + ">] [/u <" +
         m.stagedMessage("RESPONSE_FILE", locale) + ">  [/m] ] [/o]";
}

// The whole usage text, each option's line in its order.
std::string usageText(const MachineWithImage& m) {
  const std::pair<char, const char*> options[] = {
      {'?', "HELP_OPTION"}, {'i', "I_OPTION"}, {'l', "L_OPTION"}, {'m', "M_OPTION"},
      {'n', "N_OPTION"},    {'p', "P_OPTION"}, {'u', "U_OPTION"}, {'o', "O_OPTION"}};
  std::string text = usageFirstLine(m) + "\n\n";
  for (const auto& [letter, key] : options) {
    text += std::string("/") + letter + " - " +
            withArgument(m.stagedMessage(key), "%s", m.stagedMessage("CLI_COPY_NAME")) + "\n";
  }
  return text;
}

// Where a run without /l keeps its log: KV7LOG in the short form of the
// documents folder.
std::string defaultLogDir() {
  const std::string documents = "C:\\Users\\" + emulated::hostUserName() + "\\Documents";
  char shortForm[261] = {};
  EXPECT_NE(platform::getShortPathName(documents.c_str(), shortForm, sizeof shortForm), 0u);
  return std::string(shortForm) + "\\KV7LOG";
}

TEST(LauncherEndToEnd, HelpShowsTheUsageTextAndFails) {
  MachineWithImage m;
  auto run = m.setup({"/?"});
  EXPECT_EQ(run.exitCode, kLauncherFailed);
  EXPECT_EQ(run.out, "");
  // A message box, one "| " line for each line of the text.
  std::string box = "+--- " + m.stagedMessage("CLI_SETUP") + " ---\n| ";
  for (char c : usageText(m)) box += c == '\n' ? std::string("\n| ") : std::string(1, c);
  EXPECT_EQ(run.err, box + "\n+--- [OK]\n");
}

TEST(LauncherEndToEnd, OptionFailuresShowTheirMessageAndFail) {
  struct Case {
    std::vector<std::string> args;
    std::string key;       // the message shown before the usage; empty: usage only
    std::string argument;  // its one argument
  } const cases[] = {
      {{"/x"}, "IMSG_LAUNCHER_ERROR_UNKNOWN_PARAM", ""},
      {{"-SHOWCOMMAND"}, "IMSG_LAUNCHER_ERROR_UNKNOWN_PARAM", ""},
      {{"/i", "GE"}, "ERROR_UNSUPPORTED_LOCALE", "GE"},
      {{"/p", "C:\\a<b"}, "IMSG_LAUNCHER_ERROR_COPYPATH", "C:\\a<b"},
      {{"/l", "C:\\logs\\a?b.log"}, "", ""},
      {{"/m"}, "", ""},
      {{"/i"}, "", ""},
  };
  for (const Case& c : cases) {
    MachineWithImage m;
    auto run = m.setup(c.args);
    EXPECT_EQ(run.exitCode, kLauncherFailed) << c.args[0];
    EXPECT_EQ(run.out, "") << c.args[0];
    EXPECT_TRUE(contains(run.err, usageFirstLine(m))) << c.args[0] << run.err;
    if (!c.key.empty()) {
      std::string message = withArgument(m.stagedMessage(c.key), "%s", c.argument);
      std::size_t shown = run.err.find(message);
      EXPECT_NE(shown, std::string::npos) << c.args[0] << run.err;
      // The specific message comes first, then the usage.
      EXPECT_LT(shown, run.err.find(usageFirstLine(m))) << c.args[0];
    }
  }
}

TEST(LauncherEndToEnd, MissingResponseFileIsReportedOnTheConsoleAndInTheLog) {
  MachineWithImage m;
  const std::string logWindowsDir = defaultLogDir();

  auto run = m.setup({"/u", "D:\\rsp\\missing.rsp"});
  EXPECT_EQ(run.exitCode, kLauncherFailed);
  std::string caption = m.stagedMessage("CLI_SETUP");
  std::string message =
      withArgument(m.stagedMessage("ERROR_RSP_FILE_INVALID"), "%s", "D:\\rsp\\missing.rsp");
  EXPECT_EQ(run.out.rfind(
                "\n" + caption + ":\n" + message + "\n\n" + caption + ":\n" + usageFirstLine(m), 0),
            0u)
      << run.out;
  EXPECT_EQ(run.err, "");  // no message box in response-file mode

  // The log file keeps the last message: the usage text.
  fs::path logDir = m.machine().hostPath(logWindowsDir);
  std::vector<fs::path> logs;
  for (const auto& entry : fs::directory_iterator(logDir)) logs.push_back(entry.path());
  ASSERT_EQ(logs.size(), 1u);
  std::string name = logs[0].filename().string();
  EXPECT_EQ(name.rfind("KV7-kvdriver_log-", 0), 0u) << name;
  std::string log = m.machine().readFile(logWindowsDir + "\\" + name);
  EXPECT_EQ(log.rfind(usageFirstLine(m), 0), 0u) << log;
}

TEST(LauncherEndToEnd, UnusableLogDirectoryIsPrintedWithoutUsage) {
  // Directories that cannot be made: a file is in the way, or Windows
  // refuses the name; nothing is created on the way.
  const std::vector<std::string> directories = {"C:\\temp\\blocker.txt\\", "C:\\temp\\a\"b\\",
                                                "C:\\temp\\con\\", "C:\\temp\\nul\\sub\\"};
  for (const std::string& directory : directories) {
    MachineWithImage m;
    m.writeFile("C:\\temp\\blocker.txt", "a file where a directory should be");
    auto run = m.setup({"/l", directory + "x.log", "-showcommand"});
    EXPECT_EQ(run.exitCode, kLauncherFailed) << directory;
    EXPECT_EQ(run.out, withArgument(m.stagedMessage("ERROR_ACCESSING"), "%s", directory) + "\n");
    EXPECT_EQ(run.err, "");
    EXPECT_EQ(emulated::listHostDirectory(m.machine().hostPath("C:\\temp")),
              std::vector<std::string>{"blocker.txt"})
        << directory;
  }
}

TEST(LauncherEndToEnd, ExistingLogFileIsOverwrittenOnlyWhenTheUserSaysYes) {
  MachineWithImage m;
  m.writeFile("C:\\logs\\drv.log", "an earlier log");
  auto declined =
      m.setup({"/l", "C:\\logs\\drv.log", "-showcommand"}, {{"KV7_MSGBOX_ANSWERS", "no"}});
  EXPECT_EQ(declined.exitCode, kLauncherFailed);
  EXPECT_TRUE(contains(declined.err, m.stagedMessage("WARNING_LOGFILE_OVERWRITE") + " "))
      << declined.err;
  EXPECT_FALSE(contains(declined.err, usageFirstLine(m)));

  auto accepted =
      m.setup({"/l", "C:\\logs\\drv.log", "-showcommand"}, {{"KV7_MSGBOX_ANSWERS", "yes"}});
  EXPECT_EQ(accepted.exitCode, 0u) << accepted.out << accepted.err;
  EXPECT_TRUE(contains(accepted.out, "msiexec.exe /i ")) << accepted.out;
}

TEST(LauncherEndToEnd, ArgumentsOf1023CharactersAreAcceptedAnd1024Refused) {
  MachineWithImage m;
  // The argument scan accepts anything that begins with -showcommand.
  std::string longest = "-showcommand" + std::string(1023 - 12, 'x');
  auto accepted = m.setup({longest});
  EXPECT_EQ(accepted.exitCode, 0u) << accepted.out << accepted.err;
  EXPECT_TRUE(contains(accepted.out, "msiexec.exe /i ")) << accepted.out;

  auto refused = m.setup({longest + "x"});
  EXPECT_EQ(refused.exitCode, kLauncherFailed);
  EXPECT_EQ(refused.out, m.stagedMessage("ERROR_LAUNCH") + "." +
                             withArgument(m.stagedMessage("ERROR_RETURN_CODE"), "%d", "8117") +
                             "\n");
  EXPECT_EQ(refused.err, "");

  // The limit counts the characters of all arguments together.
  std::string rest = "-showcommand" + std::string(1023 - 12 - 12, 'y');
  EXPECT_EQ(m.setup({"-showcommand", rest}).exitCode, 0u);
  EXPECT_EQ(m.setup({"-showcommand", rest + "y"}).exitCode, kLauncherFailed);
}

TEST(LauncherEndToEnd, MessagesComeInTheSystemLanguageOrInEnglishForAnUnsupportedCode) {
  MachineWithImage m;
  m.setSystemLanguage("0407");
  m.commitRegistry();
  std::string german =
      withArgument(m.stagedMessage("ERROR_RSP_FILE_INVALID", "de_de"), "%s", "D:\\none");
  auto bySystem = m.setup({"/u", "D:\\none"});
  EXPECT_TRUE(contains(bySystem.out, "\n" + german + "\n")) << bySystem.out;
  EXPECT_TRUE(contains(bySystem.out, usageFirstLine(m, "de_de")));

  // An unsupported code reads its error and the usage from en_US.
  m.writeFile("D:\\rsp\\drv.rsp", "COPY_NAME=SITEA\n");
  auto unsupported = m.setup({"/u", "D:\\rsp\\drv.rsp", "/i", "XX"});
  EXPECT_TRUE(contains(unsupported.out,
                       withArgument(m.stagedMessage("ERROR_UNSUPPORTED_LOCALE"), "%s", "XX")))
      << unsupported.out;
}

TEST(LauncherEndToEnd, ASecondSetupOnTheSameMachineStops) {
  MachineWithImage m;
  const std::string held = "C:\\guard\\held";
  const std::string release = "C:\\guard\\release";
  m.machine().makeDirectory("C:\\guard");
  emulated::TestMachine::ProgramRun holderRun{};
  std::thread holder([&] {
    holderRun = m.machine().run(emulated::TestMachine::testBinDir() + "/setup_guard_holder",
                                {held, release});
  });
  // Waiting for the holder to take the guard; it gives up on its own after a
  // minute, and then the holder's exit code below tells.
  for (int i = 0; i < 3000 && !fs::exists(m.machine().hostPath(held)); ++i) {
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
  auto second = m.setup({"-showcommand"});
  m.writeFile(release, "");
  holder.join();
  ASSERT_EQ(holderRun.exitCode, 0u) << holderRun.err;

  EXPECT_EQ(second.exitCode, kAnotherSetupRunning);
  EXPECT_EQ(second.out, m.stagedMessage("ERROR_ANOTHER_SETUP_RUNNING") + "\n");
  EXPECT_EQ(second.err, "");

  auto afterwards = m.setup({"-showcommand"});
  EXPECT_EQ(afterwards.exitCode, 0u) << afterwards.out << afterwards.err;
}

TEST(LauncherEndToEnd, WithoutArgumentsAnInteractiveInstallRunsWithTheDefaultLog) {
  MachineWithImage m;
  const std::string record = m.useFakeInstaller();
  auto run = m.setup({}, {{"FAKE_INSTALLER_EXIT", "1602"}, {"FAKE_INSTALLER_RECORD", record}});
  EXPECT_EQ(run.exitCode, 1602u) << run.out << run.err;
  EXPECT_EQ(run.err, "");  // nothing to ask, nothing to report

  // Interactive: no UI level switch and no response file; the log is the
  // time-stamped default in KV7LOG, whose directory validation created.
  const std::string logDir = defaultLogDir() + "\\";
  std::vector<std::string> args;
  std::istringstream recorded(emulated::readHost(record));
  for (std::string line; std::getline(recorded, line);) args.push_back(line);
  ASSERT_EQ(args.size(), 6u) << emulated::readHost(record);
  EXPECT_EQ(args[0], "/i");
  EXPECT_EQ(args[1],
            std::string(MachineWithImage::kImageDir) + "\\" + MachineWithImage::kPackageName);
  EXPECT_EQ(args[2], "/l*v");
  EXPECT_EQ(args[3].rfind(logDir, 0), 0u) << args[3];
  EXPECT_TRUE(std::regex_match(args[3].substr(logDir.size()),
                               std::regex(R"(KV7-kvdriver_log-(Sun|Mon|Tue|Wed|Thu|Fri|Sat) )"
                                          R"((Jan|Feb|Mar|Apr|May|Jun|Jul|Aug|Sep|Oct|Nov|Dec) )"
                                          R"(\d\d \d\d_\d\d_\d\d \d{4}\.log)")))
      << args[3];
  EXPECT_EQ(args[4], "KV7_LOG_FILE_PATH=" + args[3]);
  EXPECT_EQ(args[5], "TRANSFORMS=1033.mst");  // the system's language, English
  EXPECT_EQ(platform::pathKind(logDir.c_str()), platform::PathKind::kDirectory);
}

TEST(LauncherEndToEnd, ASetupWithoutItsGuardStillRuns) {
  MachineWithImage m;
  // Where the machine keeps its named mutexes a file stands, so the guard
  // cannot be created.
  fs::remove_all(m.machine().dir() + "/mutexes");
  std::ofstream(m.machine().dir() + "/mutexes") << "not a directory";
  auto run = m.setup({"/l", "C:\\temp\\drv.log", "-showcommand"});
  EXPECT_EQ(run.exitCode, 0u) << run.out << run.err;
  EXPECT_EQ(run.out.rfind("C:\\Windows\\system32\\msiexec.exe /i \"", 0), 0u) << run.out;
  EXPECT_TRUE(contains(run.err, "cannot be created in the machine directory " + m.machine().dir() +
                                    ": Not a directory"))
      << run.err;
}

// Arguments typed in a host shell are UTF-8; setup gets them in the
// machine's code page, as Windows hands an ANSI program its command line.
TEST(LauncherEndToEnd, ArgumentsTypedInAHostShellArriveInTheCodePage) {
  MachineWithImage m;
  m.setSystemLanguage("0409");
  m.commitRegistry();
  struct Case {
    std::string copyName;  // typed
    std::string composed;  // in the command, in code page 1252
  };
  const Case cases[] = {
      {"Z\xC3\xBCrich", "KV7_COPY_NAME=\"Z\xFCrich\""},
      {"\xC5\x81ukasz", "KV7_COPY_NAME=\"Lukasz\""},                  // best fit
      {"Z\xC3\xBCrich\xE2\x98\x83", "KV7_COPY_NAME=\"Z\xFCrich?\""},  // outside the code page
  };
  for (const Case& c : cases) {
    auto run = m.setup({"/n", c.copyName, "/l", "C:\\temp\\n.log", "-showcommand"});
    EXPECT_EQ(run.exitCode, 0u) << c.copyName << run.err;
    EXPECT_TRUE(contains(run.out, c.composed)) << c.composed << "\n" << run.out;
  }
  // The log of a run that stops at its missing response file: a host file of
  // the name typed; a name outside the code page holds "?" and is refused.
  const std::string temp = m.machine().dir() + "/drive_c/temp";
  auto run = m.setup({"/l", "C:\\temp\\\xC3\xBC.log", "/u", "C:\\none.rsp"});
  EXPECT_EQ(run.exitCode, kLauncherFailed);
  EXPECT_TRUE(fs::is_regular_file(temp + "/\xC3\xBC.log")) << run.out;
  run = m.setup({"/l", "C:\\temp\\\xE2\x98\x83.log", "/u", "C:\\none.rsp"});
  EXPECT_EQ(run.exitCode, kLauncherFailed);
  EXPECT_EQ(emulated::listHostDirectory(temp), std::vector<std::string>{"\xC3\xBC.log"});
}

}  // namespace
