#include "launcher/copy_consistency.h"

#include <gtest/gtest.h>

#include "emulation/testing/test_machine.h"

namespace {

TEST(CopyConsistency, OneInstalledCopyAgainstNameAndPath) {
  struct Case {
    const char* installPath;
    const char* copyName;
    CopyMatch match;
  } const cases[] = {
      {"C:\\apps\\SITEA", "SITEA", CopyMatch::kSameCopy},
      {"c:\\APPS\\sitea", "sitea", CopyMatch::kSameCopy},
      {"C:\\apps\\SITEA", "SITEB", CopyMatch::kConflict},
      {"C:\\apps\\other", "SITEA", CopyMatch::kConflict},
      {"C:\\apps\\SITEA\\", "SITEA", CopyMatch::kConflict},
      {"C:\\apps\\SITEA\\", "SITEB", CopyMatch::kUnrelated},
      {"C:\\apps\\other", "SITEB", CopyMatch::kUnrelated},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(matchInstalledCopy("SITEA", "C:\\apps\\SITEA", c.installPath, c.copyName), c.match)
        << c.installPath << " " << c.copyName;
  }
}

TEST(CopyConsistency, TheFirstCopyThatIsNotUnrelatedDecides) {
  emulated::TestMachine machine;
  EXPECT_TRUE(copyNameAndPathAgree("C:\\apps\\A", "A"));  // nothing installed
  machine.writeRegistry(
      "[HKEY_LOCAL_MACHINE\\SOFTWARE\\QOR\\KV7\\InstalledCopies\\A]\n"
      "\"KV7 Path Name\"=\"C:\\\\apps\\\\A\"\n"
      "[HKEY_LOCAL_MACHINE\\SOFTWARE\\QOR\\KV7\\InstalledCopies\\B]\n"
      "\"KV7 Path Name\"=\"C:\\\\apps\\\\B\\\\\"\n");
  EXPECT_TRUE(copyNameAndPathAgree("C:\\apps\\A", "A"));
  EXPECT_TRUE(copyNameAndPathAgree("C:\\apps\\B", "B"));  // kept without its backslash
  EXPECT_TRUE(copyNameAndPathAgree("C:\\apps\\C", "C"));
  EXPECT_FALSE(copyNameAndPathAgree("C:\\apps\\B", "A"));
  EXPECT_FALSE(copyNameAndPathAgree("C:\\apps\\C", "B"));
}

}  // namespace
