#include "launcher/option_extraction.h"

#include <string>

#include <gtest/gtest.h>

namespace {

struct Case {
  const char* line;
  char letter;
  std::size_t limit;
  OptionOutcome outcome;
  const char* value;  // for kValue
};

TEST(OptionExtraction, FindsOptionsInTheJoinedLine) {
  const Case cases[] = {
      {"", 'i', 260, OptionOutcome::kAbsent, ""},
      {"/u|a.rsp|", 'i', 260, OptionOutcome::kAbsent, ""},
      {"/i|DE|", 'i', 260, OptionOutcome::kValue, "DE"},
      {"-I|de|", 'i', 260, OptionOutcome::kValue, "de"},
      {"/l|C:\\x.log|/i|FR|", 'i', 260, OptionOutcome::kValue, "FR"},
      // "-" patterns are looked for first, anywhere in the line.
      {"/i|DE|-i|FR|", 'i', 260, OptionOutcome::kValue, "FR"},
      // Lower case before upper case for the same introducer.
      {"/I|DE|/i|FR|", 'i', 260, OptionOutcome::kValue, "FR"},
      // Option as the last argument: found, no value.
      {"/l|", 'l', 260, OptionOutcome::kEmpty, ""},
      // Empty arguments after the option are passed over.
      {"/n|||SITEA|", 'n', 64, OptionOutcome::kValue, "SITEA"},
      // A value glued to the option loses its first character.
      {"/ifoo|", 'i', 260, OptionOutcome::kValue, "oo"},
      {"/iX|", 'i', 260, OptionOutcome::kEmpty, ""},
      // Substring search: a hyphen inside a path supplies option "i".
      {"/p|C:\\my-install|", 'i', 260, OptionOutcome::kValue, "stall"},
      {"/n|abcde|", 'n', 4, OptionOutcome::kTooLong, ""},
      {"/n|abcd|", 'n', 4, OptionOutcome::kValue, "abcd"},
      {"/o|", 'o', 1023, OptionOutcome::kEmpty, ""},
  };
  for (const Case& c : cases) {
    std::string_view value = "untouched";
    OptionOutcome outcome = extractOption(c.line, c.letter, c.limit, &value);
    EXPECT_EQ(outcome, c.outcome) << c.line << " " << c.letter;
    if (c.outcome == OptionOutcome::kValue) {
      EXPECT_EQ(value, c.value) << c.line;
    } else {
      EXPECT_EQ(value, "untouched") << c.line;
    }
  }
}

}  // namespace
