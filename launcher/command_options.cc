#include "launcher/command_options.h"

#include <cstring>

namespace {

FoundOption find(std::string_view line, char letter, std::size_t limit) {
  FoundOption found;
  found.letter = letter;
  // The search sets the value only for kValue; else it stays empty.
  found.outcome = extractOption(line, letter, limit, &found.value, &found.match);
  return found;
}

}  // namespace

bool joinArguments(int argc, char** argv, ArgumentLineText& line) {
  std::size_t total = 0;
  for (int i = 1; i < argc; ++i) total += argv[i] != nullptr ? std::strlen(argv[i]) : 0;
  line.clear();
  bool fits = total <= kMaxArgumentCharacters;
  for (int i = 1; fits && i < argc; ++i) {
    fits = line.append(argv[i] != nullptr ? argv[i] : "") && line.append('|');
  }
  if (!fits) line.clear();
  return fits;
}

CommandOptions::CommandOptions(std::string_view line)
    : found_{find(line, 'i', kPathOptionLimit), find(line, 'l', kPathOptionLimit),
             find(line, 'u', kPathOptionLimit), find(line, 'm', kFlagOptionLimit),
             find(line, 'p', kPathOptionLimit), find(line, 'n', kCopyNameOptionLimit),
             find(line, 'o', kFlagOptionLimit)} {}
