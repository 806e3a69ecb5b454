#include "launcher/message_format.h"

#include <climits>
#include <string>
#include <utility>
#include <vector>

#include <gtest/gtest.h>

namespace {

struct StringCase {
  const char* format;
  std::initializer_list<const char*> args;
  const char* expected;
};

TEST(MessageFormat, FillsStringConversionsOrUsesTheTextAsItStands) {
  const StringCase cases[] = {
      {"Cannot access %s.", {"C:\\x"}, "Cannot access C:\\x."},
      {"%s and %s", {"a", "b"}, "a and b"},
      {"100%% of %s", {"x"}, "100% of x"},
      {"[%5s][%-5s][%.2s]", {"ab", "cd", "efgh"}, "[   ab][cd   ][ef]"},
      {"no conversion", {}, "no conversion"},
      {"50%%", {}, "50%"},
      {"", {}, ""},
      {"%s", {nullptr}, ""},
      // Texts that do not fit the caller's arguments are shown unformatted.
      {"stray %s here", {}, "stray %s here"},
      {"missing one", {"x"}, "missing one"},
      {"%s and %s", {"x"}, "%s and %s"},
      {"%s", {"a", "b"}, "%s"},
      {"count %n", {"x"}, "count %n"},
      {"%s %d", {"a", "b"}, "%s %d"},
      {"%d", {"x"}, "%d"},
      {"%*s", {"x"}, "%*s"},
      {"%ls", {"x"}, "%ls"},
      {"%+s", {"x"}, "%+s"},
      {"trailing %", {}, "trailing %"},
      {"%5000s", {"x"}, "%5000s"},
  };
  for (const StringCase& c : cases) {
    EXPECT_EQ(formatMessage(c.format, c.args), c.expected) << c.format;
  }
}

// The spans tell where each argument's own bytes went, so that a text shown
// can decode them in another code page than the message around them.
TEST(MessageFormat, TellsWhereTheArgumentsLanded) {
  struct Case {
    const char* format;
    std::initializer_list<const char*> args;
    std::vector<std::pair<std::size_t, std::size_t>> spans;
  } const cases[] = {
      {"Path %s, copy %s.", {"C:\\x", "AB"}, {{5, 9}, {16, 18}}},
      {"[%6s]", {"ab"}, {{5, 7}}},     // padding before the argument is not its
      {"[%-6s]", {"ab"}, {{1, 3}}},    // nor after it
      {"[%.2s]", {"abcd"}, {{1, 3}}},  // only the bytes kept
      {"%s", {""}, {{0, 0}}},
      {"no conversion", {"x"}, {}},  // used as it stands: no argument in it
  };
  for (const Case& c : cases) {
    std::vector<TextSpan> spans = {{7, 7}};
    formatMessage(c.format, c.args, &spans);
    std::vector<std::pair<std::size_t, std::size_t>> got;
    for (const TextSpan& span : spans) got.emplace_back(span.begin, span.end);
    EXPECT_EQ(got, c.spans) << c.format;
  }
}

TEST(MessageFormat, FillsTheOneIntegerConversion) {
  struct Case {
    const char* format;
    int value;
    const char* expected;
  } const cases[] = {
      {" Return code: %d.", 8117, " Return code: 8117."},
      {"%i", -5, "-5"},
      {"[%5d]", 42, "[   42]"},
      {"[%-5d]", 42, "[42   ]"},
      {"[%05d]", 42, "[00042]"},
      {"[%+d]", 42, "[+42]"},
      {"[% d]", 42, "[ 42]"},
      {"%.3d", 7, "007"},
      {"[%.0d]", 0, "[]"},
      {"[%-05d]", 42, "[42   ]"},
      {"%d", INT_MIN, "-2147483648"},
      {"%05d", -42, "-0042"},
      {"%d%%", 50, "50%"},
      {"%s", 1, "%s"},
      {"%d %d", 1, "%d %d"},
      {"no number", 1, "no number"},
      {"%x", 255, "%x"},
      {"%ld", 1, "%ld"},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(formatMessage(c.format, c.value), c.expected) << c.format;
  }
}

TEST(MessageFormat, TellsWhetherATextFitsTheArguments) {
  EXPECT_TRUE(formatFitsStrings("%s %s %s", 3));
  EXPECT_FALSE(formatFitsStrings("%s %s", 3));
  EXPECT_TRUE(formatFitsStrings("plain %%", 0));
  EXPECT_FALSE(formatFitsStrings(nullptr, 0));
  EXPECT_TRUE(formatFitsOneInt("code %d"));
  EXPECT_FALSE(formatFitsOneInt("code %s"));
  EXPECT_FALSE(formatFitsOneInt("code"));
  EXPECT_EQ(formatMessage(nullptr, {"x"}), "");
  EXPECT_EQ(formatMessage(nullptr, 1), "");
}

}  // namespace
