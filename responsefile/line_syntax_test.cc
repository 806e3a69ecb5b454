#include "responsefile/line_syntax.h"

#include <gtest/gtest.h>

#include <string>

namespace {

struct LineCase {
  const char* line;
  bool isComment;
  const char* keyword;
  bool hasEquals;
  const char* value;
};

TEST(LineSyntax, SplitsKeywordValueAndTrailingComments) {
  const LineCase cases[] = {
      {"", true, "", false, ""},
      {" \t\r\n", true, "", false, ""},
      {"# INSTALL_TYPE = TYPICAL", true, "", false, ""},
      {"  * PROD = ALL", true, "", false, ""},
      {"*", true, "", false, ""},
      {"PROD=ALL\n", false, "PROD", true, "ALL"},
      {"  PROD \t =  ALL  \n", false, "PROD", true, "ALL"},
      {"FILE = C:\\Program Files\\QOR ** install here", false, "FILE", true,
       "C:\\Program Files\\QOR"},
      {"FILE = C:\\Program Files\\QOR ## install here", false, "FILE", true,
       "C:\\Program Files\\QOR"},
      // A single star or hash is ordinary text, a doubled one a comment.
      {"PASSWORD = ab#cd*ef", false, "PASSWORD", true, "ab#cd*ef"},
      {"PASSWORD = ab##cd", false, "PASSWORD", true, "ab"},
      {"PASSWORD = ab**cd", false, "PASSWORD", true, "ab"},
      {"PASSWORD = **secret", false, "PASSWORD", true, ""},
      // The first '=' ends the keyword; later ones belong to the value.
      {"KV7ENVLIST = A=1 B=2", false, "KV7ENVLIST", true, "A=1 B=2"},
      {"LIC_AGREEMENT =", false, "LIC_AGREEMENT", true, ""},
      // White space inside the keyword stays.
      {"INSTALL TYPE = TYPICAL", false, "INSTALL TYPE", true, "TYPICAL"},
      {"INSTALL\tTYPE", false, "INSTALL\tTYPE", false, ""},
      {"  REBOOT  \n", false, "REBOOT", false, ""},
      {"REBOOT**=YES", false, "REBOOT", false, ""},
      {"REBOOT ## =YES", false, "REBOOT", false, ""},
      {"=value", false, "", true, "value"},
      {"  = ", false, "", true, ""},
      {"A #= B", false, "A #", true, "B"},
  };
  for (const LineCase& c : cases) {
    KeywordLine line = splitKeywordLine(c.line);
    SCOPED_TRACE(std::string("line \"") + c.line + "\"");
    EXPECT_EQ(line.isComment, c.isComment);
    if (c.isComment) continue;
    EXPECT_EQ(line.keyword, c.keyword);
    EXPECT_EQ(line.hasEquals, c.hasEquals);
    EXPECT_EQ(line.value, c.value);
  }
}

TEST(LineSyntax, TrimsTheCLocaleWhiteSpace) {
  EXPECT_EQ(trimWhiteSpace(" \t\v\f\r\nx y\n\r "), "x y");
  EXPECT_EQ(trimWhiteSpace("   "), "");
  EXPECT_EQ(trimWhiteSpace("\xa0x\xa0"), "\xa0x\xa0");
}

}  // namespace
