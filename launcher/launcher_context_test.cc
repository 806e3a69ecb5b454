#include "launcher/launcher_context.h"

#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "emulation/machine/machine.h"
#include "emulation/testing/test_machine.h"
#include "launcher/launcher_codes.h"

namespace {

using testing::internal::CaptureStderr;
using testing::internal::CaptureStdout;
using testing::internal::GetCapturedStderr;
using testing::internal::GetCapturedStdout;

// An argument vector that owns its texts; element 0 is the program name.
class Args {
 public:
  explicit Args(std::vector<std::string> args) : texts_(std::move(args)) {
    texts_.insert(texts_.begin(), "setup");
    for (std::string& text : texts_) pointers_.push_back(text.data());
  }
  int argc() const { return static_cast<int>(texts_.size()); }
  char** argv() { return pointers_.data(); }

 private:
  std::vector<std::string> texts_;
  std::vector<char*> pointers_;
};

bool endsWith(std::string_view text, std::string_view tail) {
  return text.size() >= tail.size() && text.substr(text.size() - tail.size()) == tail;
}

// Parses args into a fresh context, with nothing shown or validated.
uint32_t parse(LauncherContext& context, std::vector<std::string> args) {
  Args a(std::move(args));
  CaptureStdout();
  uint32_t code = context.parseArguments(a.argc(), a.argv());
  GetCapturedStdout();
  return code;
}

TEST(LauncherContextParse, OptionsFillTheirFieldsAndFlags) {
  emulated::TestMachine machine;
  LauncherContext c;
  ASSERT_EQ(parse(c, {"/i", "de", "-L", "C:\\logs\\x.log", "/u", "C:\\r.rsp", "/M", "/p",
                      "C:\\apps\\A", "/n", "SITEA", "/o"}),
            0u);
  EXPECT_EQ(c.errorFlag, 0u);
  EXPECT_EQ(c.argumentLine.view(),
            "/i|de|-L|C:\\logs\\x.log|/u|C:\\r.rsp|/M|/p|C:\\apps\\A|/n|SITEA|/o|");
  EXPECT_TRUE(c.languageGiven);
  EXPECT_EQ(c.languageCode.view(), "de");
  EXPECT_EQ(c.logFilePath.view(), "C:\\logs\\x.log");
  EXPECT_TRUE(c.responseFileMode);
  EXPECT_EQ(c.responseFilePath.view(), "C:\\r.rsp");
  EXPECT_TRUE(c.basicUiRequested);
  EXPECT_TRUE(c.installPathGiven);
  EXPECT_EQ(c.installPath.view(), "C:\\apps\\A");
  EXPECT_TRUE(c.copyNameGiven);
  EXPECT_EQ(c.copyName.view(), "SITEA");

  ASSERT_FALSE(c.imageDir.empty());
  EXPECT_EQ(c.imageDir.back(), '\\');
  EXPECT_EQ(c.messageDir.view(), std::string(c.imageDir.view()) + "\\launchmsg\\de_de");
}

TEST(LauncherContextParse, NewCopyStaysAloneAndEmptyValuesSetTheirFlags) {
  emulated::TestMachine machine;
  LauncherContext alone;
  parse(alone, {"/o"});
  EXPECT_TRUE(alone.newCopyRequested);

  for (const char* option : {"/n", "/p", "/u"}) {
    LauncherContext c;
    parse(c, {"/o", option, "x"});
    EXPECT_FALSE(c.newCopyRequested) << option;
  }

  LauncherContext empty;
  parse(empty, {"/i"});
  EXPECT_TRUE(empty.languageGiven);
  EXPECT_TRUE(empty.languageCode.empty());
  EXPECT_TRUE(endsWith(empty.messageDir.view(), "\\launchmsg\\en_US"));
}

// A value longer than its field counts as absent: the field stays empty and
// its flag unset, and a missing /l value leaves no log path (the default log
// path itself is checked end to end).
TEST(LauncherContextParse, ValuesThatDoNotFitTheirFieldCountAsAbsent) {
  emulated::TestMachine machine;
  LauncherContext tooLong;
  parse(tooLong, {"/l", "C:\\" + std::string(258, 'x'), "/i", std::string(261, 'D'), "/n",
                  std::string(65, 'n')});
  EXPECT_TRUE(tooLong.logFilePath.empty());
  EXPECT_FALSE(tooLong.languageGiven);
  EXPECT_TRUE(tooLong.languageCode.empty());
  EXPECT_FALSE(tooLong.copyNameGiven);
  EXPECT_TRUE(tooLong.copyName.empty());

  LauncherContext longest;
  parse(longest, {"/l", "C:\\" + std::string(257, 'x'), "/n", std::string(64, 'n')});
  EXPECT_EQ(longest.logFilePath.size(), 260u);
  EXPECT_TRUE(longest.copyNameGiven);
  EXPECT_EQ(longest.copyName.size(), 64u);

  LauncherContext last;
  parse(last, {"/l"});
  EXPECT_TRUE(last.logFilePath.empty());
}

std::vector<std::string> withEmpties(std::string first, std::size_t empties) {
  std::vector<std::string> args(empties + 1);
  args[0] = std::move(first);
  return args;
}

TEST(LauncherContextParse, ArgumentsUpTo1023CharactersInTotal) {
  emulated::TestMachine machine;
  struct Case {
    std::vector<std::string> args;
    uint32_t code;
  } const cases[] = {
      // The 1023 characters themselves are checked end to end; each argument
      // also adds a separator to the line, which holds one for every
      // argument of a line of 1023 characters.
      {withEmpties(std::string(1023, 'a'), 1023), 0},
      {withEmpties(std::string(1023, 'a'), 1024), kArgumentsTooLong},
  };
  for (const Case& c : cases) {
    LauncherContext context;
    EXPECT_EQ(parse(context, c.args), c.code) << c.args.size() << " " << c.args[0].size();
    EXPECT_EQ(context.errorFlag, c.code != 0 ? 1u : 0u);
    // The report of a refused line speaks the system's language.
    EXPECT_TRUE(endsWith(context.messageDir.view(), "\\launchmsg\\en_us"))
        << context.messageDir.view();
  }
}

// A system language the table lacks reads the English texts (a known one is
// checked end to end).
TEST(LauncherContextParse, UnknownSystemLanguageReadsTheEnglishMessages) {
  emulated::TestMachine machine;
  machine.writeRegistry(
      "[HKEY_LOCAL_MACHINE\\SYSTEM\\CurrentControlSet\\Control\\Nls\\Language]\n"
      "\"Default\"=\"0c0c\"\n");
  LauncherContext unknown;
  parse(unknown, {});
  EXPECT_TRUE(endsWith(unknown.messageDir.view(), "\\launchmsg\\en_US"));
}

TEST(LauncherContextParse, NoDocumentsFolderNoDefaultLogPath) {
  emulated::TestMachine machine;
  machine.removePath("C:\\Users\\" + emulated::hostUserName() + "\\Documents");
  LauncherContext c;
  Args a({"/i", "EN"});
  CaptureStdout();
  EXPECT_EQ(c.parseArguments(a.argc(), a.argv()), kLogPathUnusable);
  EXPECT_EQ(GetCapturedStdout(), ".\n");  // no message file beside this test
  EXPECT_EQ(c.errorFlag, 1u);
}

}  // namespace
