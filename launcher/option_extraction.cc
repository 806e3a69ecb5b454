#include "launcher/option_extraction.h"

#include "base/ascii.h"

OptionOutcome extractOption(std::string_view argumentLine, char letter, std::size_t limit,
                            std::string_view* value, std::size_t* found) {
  if (argumentLine.empty()) return OptionOutcome::kAbsent;
  const char lower = ascii::toLower(letter);
  const char upper = ascii::toUpper(letter);
  const char patterns[4][2] = {{'-', lower}, {'-', upper}, {'/', lower}, {'/', upper}};
  std::size_t match = std::string_view::npos;
  for (const auto& pattern : patterns) {
    match = argumentLine.find(std::string_view(pattern, 2));
    if (match != std::string_view::npos) break;
  }
  if (match == std::string_view::npos) return OptionOutcome::kAbsent;
  if (found != nullptr) *found = match;

  std::size_t start = match + 3;
  while (start < argumentLine.size() && argumentLine[start] == '|') ++start;
  if (start >= argumentLine.size()) return OptionOutcome::kEmpty;
  std::size_t end = argumentLine.find('|', start);
  std::string_view token = argumentLine.substr(
      start, end == std::string_view::npos ? std::string_view::npos : end - start);
  if (token.empty()) return OptionOutcome::kEmpty;
  if (token.size() > limit) return OptionOutcome::kTooLong;
  if (value != nullptr) *value = token;
  return OptionOutcome::kValue;
}
