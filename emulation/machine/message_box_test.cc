#include <gtest/gtest.h>

#include <string>

#include "emulation/testing/test_machine.h"
#include "platform/platform.h"

namespace {

using emulated::TestMachine;

std::string probe() { return TestMachine::testBinDir() + "/emulated_probe"; }

TEST(EmulatedMessageBox, YesNoAnswersComeFromTheListInOrder) {
  TestMachine machine;
  const TestMachine::ProgramRun run =
      machine.run(probe(), {"ask", "5"}, {{"KV7_MSGBOX_ANSWERS", "yes, No,Y,maybe"}});
  EXPECT_EQ(run.exitCode, 0u);
  // The fourth word is neither yes nor no, and the fifth question finds the
  // list used up and no terminal: both are No.
  EXPECT_EQ(run.out, "yes\nno\nyes\nno\nno\n");
  EXPECT_NE(run.err.find("+--- Question ---\n| Go on?\n+--- [Yes] [No]\n"), std::string::npos)
      << run.err;
}

TEST(EmulatedMessageBox, WithoutAnswersAndWithoutATerminalTheAnswerIsNo) {
  TestMachine machine;
  const TestMachine::ProgramRun run = machine.run(probe(), {"ask", "1"}, {}, "yes\n");
  EXPECT_EQ(run.out, "no\n");  // a pipe on standard input is no terminal
}

TEST(EmulatedDebugOutput, AppendsOneLinePerCallToTheMachinesLog) {
  TestMachine machine;
  platform::outputDebugString("Invalid Installation Name");
  platform::outputDebugString("Copy2\n");
  EXPECT_EQ(machine.readFile("Z:" + machine.dir() + "/debug.log"),
            "Invalid Installation Name\nCopy2\n");
}

}  // namespace
