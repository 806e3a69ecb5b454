#include "base/fixed_text.h"

#include <gtest/gtest.h>

#include "base/ascii.h"

TEST(FixedTextTest, RefusesWhatDoesNotFitAndKeepsItsText) {
  FixedText<5> t;  // four characters and the terminator
  EXPECT_TRUE(t.assign("abcd"));
  EXPECT_FALSE(t.assign("abcde"));
  EXPECT_EQ(t.view(), "abcd");
  EXPECT_FALSE(t.append("x"));
  EXPECT_EQ(t.view(), "abcd");
  EXPECT_EQ(t.c_str()[4], '\0');

  EXPECT_TRUE(t.assign("ab"));
  EXPECT_TRUE(t.append("cd"));
  EXPECT_FALSE(t.append('e'));
  EXPECT_EQ(t.view(), "abcd");
}

TEST(FixedTextTest, SyncLengthNeverReadsPastTheBuffer) {
  FixedText<4> t;
  for (int i = 0; i < 4; ++i) t.data()[i] = 'z';  // no terminator written
  t.syncLength();
  EXPECT_EQ(t.view(), "zzz");
}

TEST(AsciiTest, CaseInsensitiveSearchesIgnoreOnlyAsciiCase) {
  EXPECT_TRUE(ascii::equalsNoCase("Setup.EXE", "setup.exe"));
  EXPECT_FALSE(ascii::equalsNoCase("setup", "setup "));
  EXPECT_EQ(ascii::findNoCase("C:\\X\\MSIEXEC.exe /i", ".EXE"), 12u);
  EXPECT_EQ(ascii::findNoCase("abc", "abcd"), std::string_view::npos);
  EXPECT_FALSE(ascii::equalsNoCase("\xc4", "\xe4"));  // no code-page folding
}
