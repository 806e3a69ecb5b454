#include "responsefile/entry_validator.h"

#include <bitset>
#include <cstring>
#include <string>

#include "base/ascii.h"
#include "platform/platform.h"
#include "responsefile/keyword_catalogue.h"
#include "responsefile/response_file_entry.h"
#include "responsefile/rule_matcher.h"

namespace {

// At most this much of a KV7OPTIONS value is looked at.
constexpr std::size_t kMaxOptionsText = 511;

// One KV7OPTIONS word: a sign, a lower-case option letter and what that
// letter allows after it.
bool isOptionWord(std::string_view word) {
  if (word.size() < 2 || (word[0] != '-' && word[0] != '+')) return false;
  auto endsHereOrWithDash = [&](std::size_t at) {
    return word.size() == at || (word.size() == at + 1 && word[at] == '-');
  };
  switch (word[1]) {
    case 'a':
    case 'c':
    case 'o':
    case 'p':
    case 's':
    case 't':
    case 'x':
    case 'v':
    case 'w':
      return endsHereOrWithDash(2);
    case 'e':
      return word.size() >= 3 && (word[2] == 'c' || word[2] == 's') && endsHereOrWithDash(3);
    case 'f':
    case 'l':
    case 'r':
    case 'z':
      // Turning the option off needs no argument; turning it on names one.
      return word[0] == '+' || word.size() > 2;
    default:
      return false;
  }
}

bool isDirectory(const std::string& path) {
  return platform::pathKind(path.c_str()) == platform::PathKind::kDirectory;
}

// DFTDBPATH names a drive: its root must exist.
bool driveRootExists(std::string_view value) {
  return !value.empty() && isDirectory(std::string(1, value[0]) + ":\\");
}

// DIAGPATH and KV7LOADREC name an existing directory by a full path on a
// drive other than the floppy drives A and B.
bool isUsableDirectory(std::string_view value) {
  if (value.size() < 3 || !ascii::isAlpha(value[0]) || value[1] != ':' || value[2] != '\\') {
    return false;
  }
  char drive = ascii::toUpper(value[0]);
  return drive != 'A' && drive != 'B' && isDirectory(std::string(value));
}

// Whether the row is one of the few whose keyword codedCheck looks at.
bool hasCodedCheck(int row) {
  static const std::bitset<keywordCount> coded = [] {
    std::bitset<keywordCount> rows;
    for (int index = 0; index < keywordCount; ++index) {
      std::string_view name = definitionAt(index)->name;
      rows[index] =
          name == "KV7OPTIONS" || name == "DFTDBPATH" || name == "DIAGPATH" || name == "KV7LOADREC";
    }
    return rows;
  }();
  return row >= 0 && row < keywordCount && coded[row];
}

// The checks some keywords need besides their rules; kNone when it passes.
EntryProblem codedCheck(const char* keyword, std::string_view value) {
  if (std::strcmp(keyword, "KV7OPTIONS") == 0) {
    return firstBadOptionWord(value).empty() ? EntryProblem::kNone : EntryProblem::kBadOptionWord;
  }
  if (std::strcmp(keyword, "DFTDBPATH") == 0) {
    return driveRootExists(value) ? EntryProblem::kNone : EntryProblem::kDriveMissing;
  }
  if (std::strcmp(keyword, "DIAGPATH") == 0 || std::strcmp(keyword, "KV7LOADREC") == 0) {
    // BLANK (an empty value) leaves the setting at its default.
    if (ascii::equalsNoCase(value, "BLANK")) return EntryProblem::kNone;
    return isUsableDirectory(value) ? EntryProblem::kNone : EntryProblem::kDirectoryMissing;
  }
  return EntryProblem::kNone;
}

}  // namespace

std::string_view firstBadOptionWord(std::string_view value) {
  if (ascii::equalsNoCase(value, "BLANK")) return {};
  std::string_view rest = value.substr(0, kMaxOptionsText);
  while (!rest.empty()) {
    std::size_t blank = rest.find(' ');
    std::string_view word = rest.substr(0, blank);
    if (!word.empty() && !isOptionWord(word)) return word;
    if (blank == std::string_view::npos) break;
    rest.remove_prefix(blank + 1);
  }
  return {};
}

ResponseFileEntry* validateEntry(ResponseFileEntry* entry) {
  const KeywordDefinition* row = definitionAt(entry->catalogueIndex());
  if (row == nullptr) {
    // Keep the reason resolution gave; a line with only "=value" has no keyword.
    EntryProblem problem = entry->state() == EntryUnknownKeyword ? entry->problem()
                           : entry->hasName()                    ? EntryProblem::kUnknownKeyword
                                                                 : EntryProblem::kNoKeyword;
    if (problem == EntryProblem::kNone) problem = EntryProblem::kUnknownKeyword;
    entry->setState(EntryUnknownKeyword, problem);
    return entry;
  }
  const char* value = entry->rawValue();
  if (value == nullptr || *value == '\0') {
    entry->setState(EntryValid, EntryProblem::kNone);
    return entry;
  }
  if (row->rule != nullptr && !matchFixedRule(entry, value, row->rule)) {
    entry->setState(EntryInvalidValue, EntryProblem::kRuleMismatch);
    return entry;
  }
  // The path form may have replaced the value by the full path.
  value = entry->rawValue();
  if (row->exclusionRule != nullptr && matchFixedRule(entry, value, row->exclusionRule)) {
    entry->setState(EntryInvalidValue, EntryProblem::kExcludedValue);
    return entry;
  }
  EntryProblem problem = hasCodedCheck(entry->catalogueIndex())
                             ? codedCheck(row->name, entry->rawValue())
                             : EntryProblem::kNone;
  entry->setState(problem == EntryProblem::kNone ? EntryValid : EntryInvalidValue, problem);
  return entry;
}
