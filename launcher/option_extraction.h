#pragma once

#include <cstddef>
#include <string_view>

// Options are found in the joined argument line (every argument followed by
// "|") by plain substring search for "-x", "-X", "/x" and "/X" in that order;
// the first pattern found anywhere wins. So an option letter after "-" or
// "/" inside another argument's value counts as that option too.

enum class OptionOutcome {
  kAbsent,   // no pattern found
  kEmpty,    // found, but no value follows
  kValue,    // found with a value of at most the limit's length
  kTooLong,  // found with a longer value: treated as absent
};

// Looks option letter up in argumentLine. Its value starts three characters
// after the match (after the option and its "|" when the option was an
// argument of its own), skips leading "|" and runs to the next "|". With
// kValue, *value views it inside argumentLine. Unless the option is absent,
// *match (when given) is where in argumentLine the "-x" or "/x" found begins.
OptionOutcome extractOption(std::string_view argumentLine, char letter, std::size_t limit,
                            std::string_view* value, std::size_t* match = nullptr);
