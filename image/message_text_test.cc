#include "image/message_text.h"

#include <gtest/gtest.h>

namespace image {
namespace {

TEST(PrintfConversions, ReducesEachConversionToTheArgumentItConsumes) {
  struct Case {
    const char* text;
    const char* kinds;
  };
  const Case cases[] = {
      {"plain text", ""},
      {"%s", "%s"},
      {"File %s, keyword %s: %s", "%s%s%s"},
      {" Return code: %d.", "%d"},
      {"100%% done", ""},
      {"%%s is literal", ""},
      {"%%%s", "%s"},
      {"%-10s|%05d|%.3s", "%s%d%s"},
      {"%ld and %lls", "%ld%lls"},
      {"%*d", "%*%d"},
      {"%.*s", "%*%s"},
      {"%u%x%c", "%u%x%c"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.text);
    std::optional<std::string> kinds = printfConversions(c.text);
    ASSERT_TRUE(kinds.has_value());
    EXPECT_EQ(*kinds, c.kinds);
  }
}

TEST(PrintfConversions, RefusesAPercentThatStartsNoConversion) {
  for (const char* text : {"50%", "%", "%q", "%-", "%l", "a % b"}) {
    SCOPED_TRACE(text);
    EXPECT_FALSE(printfConversions(text).has_value());
  }
  // A blank is a printf flag: a stray "% s" in a translation is a conversion
  // that consumes an argument, and must show up as one.
  EXPECT_EQ(printfConversions("100% sure").value_or("?"), "%s");
}

TEST(ParseMessageFile, TakesKeyedLinesAndReportsTheOthers) {
  MessageFile file = parseMessageFile(
      "A=one\r\nB_2= two \r\n\r\nlower=x\r\nC\r\n=D\r\nD==x\r\n E=y\r\nF=\r\n", "\r\n");
  ASSERT_EQ(file.entries.size(), 4u);
  EXPECT_EQ(file.entries[0].key, "A");
  EXPECT_EQ(file.entries[0].text, "one");
  EXPECT_EQ(file.entries[1].key, "B_2");
  EXPECT_EQ(file.entries[1].text, " two ");  // nothing is trimmed
  EXPECT_EQ(file.entries[1].lineNumber, 2u);
  EXPECT_EQ(file.entries[2].key, "D");
  EXPECT_EQ(file.entries[2].text, "=x");
  EXPECT_EQ(file.entries[3].key, "F");
  EXPECT_EQ(file.entries[3].text, "");
  EXPECT_EQ(file.unreadableLines, (std::vector<std::size_t>{3, 4, 5, 6, 8}));

  // Duplicates are kept, and only the given line end splits.
  file = parseMessageFile("A=1\nA=2\r\nB=3", "\n");
  ASSERT_EQ(file.entries.size(), 3u);
  EXPECT_EQ(file.entries[1].text, "2\r");
  EXPECT_EQ(file.entries[2].text, "3");
}

TEST(ParseMessageKeys, ReadsConversionsAndLimits) {
  std::size_t bad = 0;
  auto keys = parseMessageKeys("# comment\n\nA\nB\t%s%d\nC\t\t63\nD\t%s\t100\n", &bad);
  ASSERT_TRUE(keys.has_value());
  ASSERT_EQ(keys->size(), 4u);
  EXPECT_EQ((*keys)[0].key, "A");
  EXPECT_EQ((*keys)[0].conversions, "");
  EXPECT_EQ((*keys)[0].maxTextBytes, 260u);
  EXPECT_EQ((*keys)[1].conversions, "%s%d");
  EXPECT_EQ((*keys)[2].conversions, "");
  EXPECT_EQ((*keys)[2].maxTextBytes, 63u);
  EXPECT_EQ((*keys)[3].maxTextBytes, 100u);
}

TEST(ParseMessageKeys, NamesTheFirstMalformedLine) {
  const struct {
    const char* content;
    std::size_t line;
  } cases[] = {
      {"A\nb\n", 2},         // not an upper-case key
      {"A\tpath %s\n", 1},   // words among the conversions
      {"A\n\nB\t%\n", 3},    // incomplete conversion
      {"A\t%s\tlots\n", 1},  // limit not a number
      {"A\t%s\t0\n", 1},     // no room for any text
      {"A\t%s\t5\tx\n", 1},  // a fourth column
      {"A=\n", 1},           // a message line, not a key
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.content);
    std::size_t bad = 0;
    EXPECT_FALSE(parseMessageKeys(c.content, &bad).has_value());
    EXPECT_EQ(bad, c.line);
  }
}

}  // namespace
}  // namespace image
