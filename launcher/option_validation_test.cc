#include <memory>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "emulation/testing/test_machine.h"
#include "launcher/launcher_codes.h"
#include "launcher/launcher_context.h"

namespace {

using testing::internal::CaptureStderr;
using testing::internal::CaptureStdout;
using testing::internal::GetCapturedStderr;
using testing::internal::GetCapturedStdout;

constexpr char kMessageDir[] = "C:\\img\\\\launchmsg\\en_US";
constexpr char kUsageStart[] = "setup [/?] [/i <lang>] ";

constexpr char kMessages[] =
    "CLI_SETUP=Test Setup\n"
    "WARNING_HEADER=Test Warning\n"
    "WARNING_LOGFILE_OVERWRITE=Overwrite the log?\n"
    "ERROR_ACCESSING=No access to %s!\n"
    "ERROR_RSP_FILE_INVALID=Bad response file %s!\n"
    "IMSG_LAUNCHER_ERROR_COPYPATH=Bad copy path %s!\n"
    "ERROR_UNSUPPORTED_LOCALE=Unsupported %s!\n"
    "IMSG_LAUNCHER_ERROR_UNKNOWN_PARAM=Unknown parameter %s!\n"
    "IMSG_LAUNCHER_COPYNAME_PATH_CONFLICT=Conflict at %s!\n"
    "LANGUAGE=lang\n"
    "HELP_OPTION=help\n";

struct Outcome {
  uint32_t code;
  uint32_t errorFlag;
  std::string out;
  std::string err;
};

class Validation : public testing::Test {
 protected:
  // Every case starts on a fresh machine: a message shown in response-file
  // mode creates the default log file, which a later case would otherwise
  // find and ask to overwrite.
  void freshMachine() {
    context_.reset();
    machine_.reset();  // the old machine lets go of this process first
    machine_ = std::make_unique<emulated::TestMachine>();
    machine_->writeFile("C:\\img\\launchmsg\\en_US\\Launch.pro", kMessages);
    machine_->writeFile("C:\\r.rsp", "COPY_NAME = SITEA\n");
    machine_->writeFile("C:\\file.txt", "a file, not a directory");
    machine_->writeFile("C:\\logs\\existing.log", "old log");
    machine_->writeRegistry(
        "[HKEY_LOCAL_MACHINE\\SOFTWARE\\QOR\\KV7\\InstalledCopies\\SITEA]\n"
        "\"KV7 Path Name\"=\"C:\\\\apps\\\\SITEA\"\n");
  }

  Outcome validate(std::vector<std::string> args) {
    freshMachine();
    context_ = std::make_unique<LauncherContext>();
    args.insert(args.begin(), "setup");
    std::vector<char*> argv;
    for (std::string& a : args) argv.push_back(a.data());
    int argc = static_cast<int>(argv.size());
    EXPECT_EQ(context_->parseArguments(argc, argv.data()), 0u);
    context_->messageDir.assign(kMessageDir);
    CaptureStdout();
    CaptureStderr();
    uint32_t code = context_->validateOptions(argc, argv.data());
    std::string err = GetCapturedStderr();
    return {code, context_->errorFlag, GetCapturedStdout(), err};
  }

  std::unique_ptr<emulated::TestMachine> machine_;
  std::unique_ptr<LauncherContext> context_;
};

struct Case {
  std::vector<std::string> args;
  uint32_t code;
  const char* message;  // expected in the output; empty: none
  bool usage;
  bool console;  // response-file mode: everything on standard output
};

TEST_F(Validation, ChecksInOrderWithTheirMessagesAndUsage) {
  // Illegal log and install paths, /m without /u, an unsupported language
  // and help are checked end to end, the arguments' letter cases with the
  // argument scan.
  const Case cases[] = {
      {{"/l", "C:\\logs\\a.log"}, 0, "", false, false},
      {{}, 0, "", false, false},
      {{"/l"}, kLogPathEmpty, "", true, false},
      {{"/u", "C:\\r.rsp", "/l", "C:\\logs\\existing.log"}, 0, "", false, true},
      {{"/u"}, kResponseFileMissing, "", true, true},
      {{"/u", "C:\\none.rsp"}, kResponseFileInvalid, "Bad response file C:\\none.rsp!", true, true},
      {{"/u", "C:\\logs"}, kResponseFileInvalid, "Bad response file C:\\logs!", true, true},
      {{"/u", "C:\\r.rsp", "/m"}, 0, "", false, true},
      {{"/p"}, kInstallPathMissing, "", true, false},
      {{"/p", "C:\\apps\\new"}, 0, "", false, false},
      {{"/i"}, kLanguageMissing, "", true, false},
      {{"/i", "de"}, 0, "", false, false},
      {{"/n"}, kCopyNameMissing, "", true, false},
      {{"/n", "A"}, 0, "", false, false},
      // The offending argument is not named: the text is shown as it stands.
      {{"/x"}, kUnknownArgument, "Unknown parameter %s!", true, false},
      // The language is checked before the arguments are scanned.
      {{"/x", "/i", "GE"}, kUnsupportedLanguage, "Unsupported GE!", true, false},
      // The scan passes over the value of /n, the extraction still finds /m.
      {{"/n", "/m"}, kBasicUiWithoutResponseFile, "", true, false},
      // Copy name and path against the installed copy SITEA at C:\apps\SITEA
      // (the comparison itself is tested with the copy check).
      {{"/n", "sitea", "/p", "c:\\APPS\\sitea"}, 0, "", false, false},
      {{"/n", "SITEB", "/p", "C:\\apps\\SITEA"},
       kCopyNamePathConflict,
       "Conflict at C:\\apps\\SITEA!",
       false,
       false},
  };
  for (const Case& c : cases) {
    std::string label;
    for (const std::string& a : c.args) label += a + " ";
    Outcome o = validate(c.args);
    EXPECT_EQ(o.code, c.code) << label;
    EXPECT_EQ(o.errorFlag, c.code != 0 ? 1u : 0u) << label;
    const std::string& shown = c.console ? o.out : o.err;
    const std::string& quiet = c.console ? o.err : o.out;
    if (*c.message != '\0') {
      EXPECT_NE(shown.find(c.message), std::string::npos) << label << shown;
    }
    EXPECT_EQ(shown.find(kUsageStart) != std::string::npos, c.usage) << label << shown;
    EXPECT_EQ(quiet, "") << label;
    if (c.code == 0) {
      EXPECT_EQ(shown, "") << label;
    }
  }
}

TEST_F(Validation, PathsAreMadeAbsolute) {
  ASSERT_EQ(validate({"/u", "C:\\r.rsp", "/p", "apps\\x", "/l", "C:\\logs\\a.log"}).code, 0u);
  EXPECT_NE(context_->installPath.view(), "apps\\x");
  EXPECT_NE(context_->installPath.view().find(":\\"), std::string::npos);
  EXPECT_EQ(context_->installPath.view().substr(context_->installPath.size() - 7), "\\apps\\x");
}

}  // namespace
