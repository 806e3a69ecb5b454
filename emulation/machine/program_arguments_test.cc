#include "emulation/machine/program_arguments.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

TEST(EmulatedCommandLine, SplitsAsTheWindowsRuntimeDoes) {
  struct Case {
    const char* line;
    std::string program;
    std::vector<std::string> arguments;
  };
  const Case cases[] = {
      {"\"C:\\Program Files\\x.exe\" /i \"a b.msi\"",
       "C:\\Program Files\\x.exe",
       {"/i", "a b.msi"}},
      {"C:\\Windows\\system32\\msiexec.exe /qn", "C:\\Windows\\system32\\msiexec.exe", {"/qn"}},
      {"  prog\targ1   arg2 ", "prog", {"arg1", "arg2"}},
      {"p a\\b\\c", "p", {"a\\b\\c"}},
      {"p a\\\\\"b c\"", "p", {"a\\b c"}},
      {"p a\\\\\\\"b", "p", {"a\\\"b"}},
      {"p \"\" x", "p", {"", "x"}},
      {"p \"a\"\"b\" c", "p", {"a\"b", "c"}},
      {"p KV7_LOG_FILE_PATH=\"C:\\log dir\\a.log\"", "p", {"KV7_LOG_FILE_PATH=C:\\log dir\\a.log"}},
      {"p \"D:\\dir\\\\\"", "p", {"D:\\dir\\"}},
      {"p \"open to the end", "p", {"open to the end"}},
      {"\"C:\\quoted\"rest here", "C:\\quoted", {"rest", "here"}},
      {"", "", {}},
  };
  for (const Case& c : cases) {
    const emulated::CommandLine parsed = emulated::splitCommandLine(c.line);
    EXPECT_EQ(parsed.program, c.program) << c.line;
    EXPECT_EQ(parsed.arguments, c.arguments) << c.line;
  }
}

TEST(EmulatedCommandLine, JoinsArgumentsSoThatSplittingGivesThemBack) {
  const std::vector<std::string> arguments = {"plain", "two words",    "",         "q\"uote",
                                              "end\\", "in \\ side\\", "x\\\\\"y", "\t"};
  const std::string line = emulated::joinCommandLine("C:\\Program Files\\p.exe", arguments);
  EXPECT_EQ(
      line,
      R"("C:\Program Files\p.exe" plain "two words" "" q\"uote end\ "in \ side\\" x\\\\\"y "	")");
  const emulated::CommandLine parsed = emulated::splitCommandLine(line);
  EXPECT_EQ(parsed.program, "C:\\Program Files\\p.exe");
  EXPECT_EQ(parsed.arguments, arguments);
}

}  // namespace
