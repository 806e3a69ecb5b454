#include <cstring>
#include <string>

#include <gtest/gtest.h>

#include "emulation/testing/test_machine.h"
#include "launcher/launcher_context.h"

namespace {

constexpr char kFile[] = "C:\\img\\launchmsg\\xx_xx\\Launch.pro";

class UsageText : public testing::Test {
 protected:
  UsageText() { context_.messageDir.assign("C:\\img\\\\launchmsg\\xx_xx"); }

  std::string build(std::size_t capacity = 4097) {
    std::string out(capacity, '#');
    int result = context_.buildUsageText(out.data(), capacity);
    return result == 0 ? std::string(out.c_str()) : "refused:" + out.substr(0, 4);
  }

  emulated::TestMachine machine_;
  LauncherContext context_;
};

// The usage composed from the staged texts is checked end to end.
TEST_F(UsageText, EditedTextsThatDoNotFitTheirArgumentAreShownAsTheyStand) {
  machine_.writeFile(kFile,
                     "CLI_COPY_NAME=copyname\n"
                     "LANGUAGE=%s%s%n\n"
                     "N_OPTION=Copy <%s> %s.\n"
                     "O_OPTION=No argument at all.\n"
                     "P_OPTION=%d\n");
  std::string usage = build();
  EXPECT_NE(usage.find("[/i <%s%s%n>] "), std::string::npos) << usage;
  EXPECT_NE(usage.find("/n - Copy <%s> %s.\n"), std::string::npos) << usage;
  EXPECT_NE(usage.find("/o - No argument at all.\n"), std::string::npos) << usage;
  EXPECT_NE(usage.find("/p - %d\n"), std::string::npos) << usage;
}

TEST_F(UsageText, RefusedWithoutMessageDirectoryOrRoom) {
  // Without any message file the skeleton alone remains.
  std::string bare = build();
  EXPECT_EQ(
      bare.rfind("setup [/?] [/i <>] [/l <>] [/n <>] [/p <>] [/u <>  [/m] ] [/o]\n\n/? - \n", 0),
      0u);
  EXPECT_EQ(build(bare.size() + 1), bare);
  EXPECT_EQ(build(bare.size()), "refused:####");
  context_.messageDir.clear();
  EXPECT_EQ(build(), "refused:####");
  EXPECT_EQ(context_.buildUsageText(nullptr, 10), -1);
}

}  // namespace
