#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "emulation/machine/message_box.h"
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

TEST(EmulatedMessageBox, AnOkBoxIsDrawnInUtf8AndAnsweredAtOnce) {
  emulated::forgetShownBoxes();
  const uint32_t style = platform::kMbOk | platform::kMbIconError | platform::kMbRtlReading;
  testing::internal::CaptureStderr();
  const int answer =
      platform::messageBoxW(u"Line one\nL\u00EDnea \u4E8C", u"\u30BB Caption", style);
  const std::string drawn = testing::internal::GetCapturedStderr();
  EXPECT_EQ(answer, platform::kIdOk);
  EXPECT_EQ(drawn, "+--- \u30BB Caption ---\n| Line one\n| L\u00EDnea \u4E8C\n+--- [OK]\n");
  // The style is kept whole for the tests, though not drawn.
  const std::vector<emulated::ShownBox> boxes = emulated::shownBoxes();
  ASSERT_EQ(boxes.size(), 1u);
  EXPECT_EQ(boxes[0].style, style);
  EXPECT_EQ(boxes[0].caption, "\u30BB Caption");
}

TEST(EmulatedDebugOutput, AppendsOneLinePerCallToTheMachinesLog) {
  TestMachine machine;
  platform::outputDebugString("Invalid Installation Name");
  platform::outputDebugString("Copy2\n");
  EXPECT_EQ(machine.readFile("Z:" + machine.dir() + "/debug.log"),
            "Invalid Installation Name\nCopy2\n");
}

}  // namespace
