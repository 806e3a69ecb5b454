#include "process/runner_command.h"

#include <gtest/gtest.h>

#include <string>

#include "emulation/testing/test_machine.h"
#include "process/runner_codes.h"

namespace {

struct NormaliseCase {
  const char* name;
  const char* command;
  const char* commandLine;
};

TEST(ProcessRunnerCommandLine, ProgramPartIsQuotedExactlyOnce) {
  const NormaliseCase cases[] = {
      {"unquoted program with arguments", R"(C:\dir\prog.exe /a /b)", R"("C:\dir\prog.exe" /a /b)"},
      {"already quoted program", R"("C:\my dir\prog.exe" /a)", R"("C:\my dir\prog.exe" /a)"},
      {"quoted program alone", R"("C:\p.exe")", R"("C:\p.exe")"},
      {"upper-case extension", R"(C:\X.EXE)", R"("C:\X.EXE")"},
      {"com program", R"(C:\tools\run.com -v)", R"("C:\tools\run.com" -v)"},
      {"extension inside a directory name", R"(C:\app.exe.d\bin\tool x)",
       R"("C:\app.exe".d\bin\tool x)"},
      {"exe wins over an earlier com", R"(C:\a.com b.exe)", R"("C:\a.com b.exe")"},
      {"exe wins over an earlier bat", R"(C:\x.bat C:\y.exe z)", R"("C:\x.bat C:\y.exe" z)"},
      {"first occurrence of the extension", R"(C:\a.exe C:\b.exe)", R"("C:\a.exe" C:\b.exe)"},
      {"stray closing quote not doubled", R"(C:\prog.exe" args)", R"("C:\prog.exe" args)"},
      {"quote left open after the program", R"("C:\prog.com args")", R"("C:\prog.com" args")"},
      {"arguments kept byte for byte", "C:\\p.exe  \"a b\"\t/x=\"1\"  ",
       "\"C:\\p.exe\"  \"a b\"\t/x=\"1\"  "},
      {"no known extension", "notepad readme.txt", ""},
      {"extension broken by a blank", R"(C:\prog.ex e)", ""},
      {"empty command", "", ""},
  };
  for (const NormaliseCase& c : cases) {
    SCOPED_TRACE(c.name);
    CommandLineText commandLine;
    commandLine.assign("left over from before");
    EXPECT_EQ(normaliseCommand(c.command, commandLine), 0u);
    EXPECT_EQ(commandLine.view(), c.commandLine);
  }
}

TEST(ProcessRunnerCommandLine, LongestComposedCommandRunsWholeAndLongerIsRefused) {
  const std::string program = R"(C:\p.exe)";
  std::string longest =
      program + ' ' + std::string(CommandText::kMaxLength - program.size() - 1, 'a');
  ASSERT_EQ(longest.size(), CommandText::kMaxLength);

  CommandLineText commandLine;
  ASSERT_EQ(normaliseCommand(longest, commandLine), 0u);
  EXPECT_EQ(commandLine.view(), '"' + program + '"' + longest.substr(program.size()));

  std::string tooLong = longest + 'a';
  EXPECT_EQ(normaliseCommand(tooLong, commandLine), kRunnerTextDoesNotFit);
  EXPECT_TRUE(commandLine.empty());

  // The same length already quoted needs no room for quotes, so it fits.
  std::string quoted = '"' + program + '"' + tooLong.substr(program.size() + 2);
  ASSERT_EQ(quoted.size(), tooLong.size());
  ASSERT_EQ(normaliseCommand(quoted, commandLine), 0u);
  EXPECT_EQ(commandLine.view(), quoted);

  // A statement for the command line processor is refused the same way
  // (the runner's tests show the commands it composes).
  std::string huge(CommandLineText::kMaxLength, 's');
  EXPECT_EQ(composeStatementCommand(huge, false, commandLine), kRunnerTextDoesNotFit);
  EXPECT_TRUE(commandLine.empty());
}

TEST(ProcessRunnerCommandLine, ScriptsAreNamedByTheirShortFormWithoutQuotes) {
  emulated::TestMachine machine;
  machine.writeFile(R"(C:\Tools Dir\long script name.cmd)", "@echo off\r\n");
  machine.writeFile(R"(C:\bin\go.bat)", "@echo off\r\n");
  const NormaliseCase cases[] = {
      {"long names get their short form", R"(C:\Tools Dir\long script name.cmd /q "x y")",
       R"(C:\TOOLSD~1\LONGSC~1.CMD /q "x y")"},
      {"a name that is already short stays", R"(C:\bin\go.bat)", R"(C:\bin\go.bat)"},
      {"a script that does not exist is kept", R"(C:\missing dir\run.BAT a)",
       R"(C:\missing dir\run.BAT a)"},
      {"a quoted script is kept as given", R"("C:\Tools Dir\long script name.cmd" /q)",
       R"("C:\Tools Dir\long script name.cmd" /q)"},
  };
  for (const NormaliseCase& c : cases) {
    SCOPED_TRACE(c.name);
    CommandLineText commandLine;
    EXPECT_EQ(normaliseCommand(c.command, commandLine), 0u);
    EXPECT_EQ(commandLine.view(), c.commandLine);
  }
}

}  // namespace
