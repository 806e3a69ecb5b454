#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "base/fixed_text.h"
#include "launcher/option_extraction.h"

// How setup reads its own command line, before anything is derived from the
// options or checked: the arguments joined into one line, and each option
// looked up in it. Pure, so that a program checking a command line ahead of
// setup reads it exactly as setup will.

// The joined argument line: every argument after the program name followed by
// "|". The arguments themselves may total kMaxArgumentCharacters; the field
// leaves room for one separator per argument on top of that.
using ArgumentLineText = FixedText<2048>;
constexpr std::size_t kMaxArgumentCharacters = 1023;

// Joins arguments 1 ... argc-1 into line. False, and line empty, when they
// total more than kMaxArgumentCharacters characters.
bool joinArguments(int argc, char** argv, ArgumentLineText& line);

// The longest value kept of each option: the length of the field it goes to.
// /m and /o keep none, so any value the line can hold is accepted.
constexpr std::size_t kPathOptionLimit = PathText::kMaxLength;          // /i, /l, /u, /p
constexpr std::size_t kCopyNameOptionLimit = CopyNameText::kMaxLength;  // /n
constexpr std::size_t kFlagOptionLimit = kMaxArgumentCharacters;        // /m, /o

// What the search of the joined line found for one option letter.
struct FoundOption {
  char letter = '\0';
  OptionOutcome outcome = OptionOutcome::kAbsent;
  std::size_t match = std::string_view::npos;  // where its "-x" or "/x" begins
  std::string_view value;                      // inside the line, for kValue

  // Found with a usable value, or with none: setup sets the option's flag.
  bool given() const {
    return outcome == OptionOutcome::kValue || outcome == OptionOutcome::kEmpty;
  }
};

// Every option of a joined argument line, as setup extracts them, in the
// order it looks them up. The views point into the line, which must outlive
// this.
class CommandOptions {
 public:
  explicit CommandOptions(std::string_view argumentLine);

  const FoundOption& language() const { return found_[0]; }      // /i
  const FoundOption& logFile() const { return found_[1]; }       // /l
  const FoundOption& responseFile() const { return found_[2]; }  // /u
  const FoundOption& basicUi() const { return found_[3]; }       // /m
  const FoundOption& installPath() const { return found_[4]; }   // /p
  const FoundOption& copyName() const { return found_[5]; }      // /n
  const FoundOption& newCopy() const { return found_[6]; }       // /o

  // /o counts only without /n, /p and /u.
  bool newCopyRequested() const {
    return newCopy().given() && !copyName().given() && !installPath().given() &&
           !responseFile().given();
  }
  const std::array<FoundOption, 7>& all() const { return found_; }

 private:
  std::array<FoundOption, 7> found_;
};
