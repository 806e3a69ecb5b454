#include "tools/rspcheck/entry_problems.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <string_view>
#include <vector>

#include "base/ascii.h"
#include "responsefile/entry_validator.h"
#include "responsefile/keyword_catalogue.h"
#include "responsefile/keyword_index.h"
#include "responsefile/response_file.h"
#include "tools/rspcheck/keyword_ways.h"
#include "tools/rspcheck/printable_text.h"

namespace {

std::string quoted(const char* text) {
  return text == nullptr ? std::string("(no value)") : "'" + printableText(text) + "'";
}

// The names of the password keywords, in table order: a report asks for each
// unknown keyword, and the table has only a handful.
const std::vector<std::string_view>& secretKeywords() {
  static const std::vector<std::string_view> secrets = [] {
    std::vector<std::string_view> names;
    for (int i = 0; i < keywordCount; ++i) {
      const KeywordDefinition* row = definitionAt(i);
      if ((row->flags & kKeywordSecret) != 0) names.emplace_back(row->name);
    }
    return names;
  }();
  return secrets;
}

// Whether the entry holds a password: its row says so, or, for a keyword
// that did not resolve, its text ends in the name of a password keyword
// (PASSWORD written without its instance, say).
bool holdsSecret(const ResponseFileEntry& entry) {
  if (const KeywordDefinition* row = definitionAt(entry.catalogueIndex())) {
    return (row->flags & kKeywordSecret) != 0;
  }
  return namesSecret(entry.nameView());
}

// "KEYWORD = 'value'" as the file has it.
std::string keywordAndValue(const ResponseFileEntry& entry) {
  return printableText(entry.name()) + " = " + shownValue(entry);
}

const char* ruleOf(const ResponseFileEntry& entry) {
  const KeywordDefinition* row = definitionAt(entry.catalogueIndex());
  return row != nullptr && row->rule != nullptr ? row->rule : "";
}

const char* exclusionOf(const ResponseFileEntry& entry) {
  const KeywordDefinition* row = definitionAt(entry.catalogueIndex());
  return row != nullptr && row->exclusionRule != nullptr ? row->exclusionRule : "";
}

// The ways of writing of every row of that name that this launcher knows.
std::vector<std::string> waysOfName(const KeywordIndex::Rows& rows) {
  std::vector<std::string> ways;
  for (int row : rows) {
    for (std::string& way : waysOfWriting(row)) ways.push_back(std::move(way));
  }
  return ways;
}

// The length of the longest keyword of the catalogue.
std::size_t longestKeyword() {
  static const std::size_t longest = [] {
    std::size_t length = 0;
    for (int row = 0; row < keywordCount; ++row) {
      length = std::max(length, std::strlen(definitionAt(row)->name));
    }
    return length;
  }();
  return longest;
}

// Why a keyword text names no row: a keyword that must be qualified, a
// qualifier that this file never declared, or a keyword of other programs.
std::string unknownKeywordHint(const ResponseFile& file, std::string_view name) {
  const KeywordIndex& index = KeywordIndex::get();
  if (index.allRowsNamed(name) != nullptr) {
    const KeywordIndex::Rows* rows = index.rowsNamed(name);
    if (rows == nullptr) return "the keyword is not used by this setup program";
    std::vector<std::string> ways = waysOfName(*rows);
    if (ways.empty()) return "the keyword cannot be written in any way";
    return "it is written as " + joinAlternatives(ways);
  }
  // Only the tails no longer than a keyword can name one; trying every split
  // of a very long text would take time in the square of its length.
  std::size_t shortestPrefix =
      name.size() > longestKeyword() + 1 ? name.size() - longestKeyword() - 1 : 1;
  for (std::size_t length = shortestPrefix; length + 1 < name.size(); ++length) {
    std::string_view keyword = name.substr(length + 1);
    const KeywordIndex::Rows* rows = index.rowsNamed(keyword);
    if (rows == nullptr) continue;
    std::string prefix = printableText(name.substr(0, length));
    std::string ways = joinAlternatives(waysOfName(*rows));
    uint32_t roles = file.qualifiers().rolesOf(name.substr(0, length));
    if (roles == 0) {
      return "'" + prefix + "' is no instance or block name given in this file; " +
             definitionAt((*rows)[0])->name + " is written as " + ways;
    }
    return "'" + prefix + "' is " + describeRoles(roles) + ", but " +
           definitionAt((*rows)[0])->name + " is written as " + ways;
  }
  return "";
}

std::string unknownKeyword(const ResponseFile& file, const ResponseFileEntry& entry) {
  std::string text = "unknown keyword '" + printableText(entry.name()) + "'";
  if (entry.rawValue() != nullptr) text += " with value " + shownValue(entry);
  std::string hint = unknownKeywordHint(file, entry.name());
  if (!hint.empty()) text += ": " + hint;
  return text;
}

std::string excludedForProgram(const ResponseFileEntry& entry) {
  const char* program = std::getenv("PROGNAME");
  return "keyword '" + printableText(entry.name()) + "' is not valid for the program '" +
         printableText(program ? program : "") + "' that PROGNAME names";
}

// The reason a cross-keyword check gives, in the words of the settings.
std::string checkReason(const ResponseFile& file, const Contradiction& found) {
  switch (found.check) {
    case CrossCheck::kDirectoryNameLength:
      return "DIR_OBJ_NAME and DIR_PATH_NAME together may hold at most 255 characters";
    case CrossCheck::kProductInstallType: {
      const ResponseFileEntry* product = file.entryAt(found.partners.at(0));
      const char* name = product != nullptr ? product->value() : nullptr;
      if (name != nullptr && ascii::equalsNoCase(name, "WORKLOAD_WARDEN")) {
        return "WORKLOAD_WARDEN cannot be installed COMPACT";
      }
      return printableText(name ? name : "") + " cannot be installed COMPACT or TYPICAL";
    }
    case CrossCheck::kFcmAboveRequestBlocks:
      return "FCM_NUM_ANCHORS and FCM_NUM_CONNECT must not exceed FCM_NUM_RQB";
    case CrossCheck::kAgentAboveMaxAgents:
      return "MAXCAGENTS, MAXDARI, MAX_COORDAGENTS, NUM_INITAGENTS and NUM_POOLAGENTS must not "
             "exceed MAXAGENTS";
    case CrossCheck::kCoordinatingAgentsSum:
      return "MAXAGENTS must be at least NUM_INITAGENTS + MAX_COORDAGENTS";
    case CrossCheck::kAboveCoordinatingLimit:
      return "MAXCAGENTS and MAXDARI must not exceed MAX_COORDAGENTS (MAXAGENTS - NUM_INITAGENTS "
             "when MAX_COORDAGENTS is -1)";
    case CrossCheck::kLogicalBelowCoordinating:
      return "MAX_LOGICAGENTS must be -1 or at least MAX_COORDAGENTS";
  }
  return "";
}

std::string contradiction(const ResponseFile& file, const ResponseFileEntry& entry,
                          const Contradiction& found) {
  std::string text = keywordAndValue(entry) + " contradicts ";
  for (std::size_t i = 0; i < found.partners.size(); ++i) {
    const ResponseFileEntry* partner = file.entryAt(found.partners[i]);
    if (partner == nullptr) continue;
    if (i > 0) text += " and ";
    text += keywordAndValue(*partner) + " (line " + std::to_string(partner->lineNumber()) + ")";
  }
  return text + ": " + checkReason(file, found);
}

std::string ownProblem(const ResponseFile& file, const ResponseFileEntry& entry) {
  // Only the problems of a known keyword show it with its value.
  auto kv = [&entry] { return keywordAndValue(entry); };
  switch (entry.problem()) {
    case EntryProblem::kNone:
    case EntryProblem::kContradiction:
      return "";
    case EntryProblem::kNoKeyword:
      return "no keyword before '=' (value " + quoted(entry.rawValue()) + ")";
    case EntryProblem::kUnknownKeyword:
      return unknownKeyword(file, entry);
    case EntryProblem::kExcludedForProgram:
      return excludedForProgram(entry);
    case EntryProblem::kRuleMismatch:
      return kv() + ": the value does not match the rule \"" + ruleOf(entry) + "\"";
    case EntryProblem::kExcludedValue:
      return kv() + ": the value is not allowed, it matches the exclusion rule \"" +
             exclusionOf(entry) + "\"";
    case EntryProblem::kBadOptionWord:
      return kv() + ": '" + printableText(firstBadOptionWord(entry.rawValue())) +
             "' is not an option (a sign + or -, then one of a c o p s t x v w, optionally "
             "followed by -; ec or es, optionally followed by -; or f l r z, which need an "
             "argument after -)";
    case EntryProblem::kDriveMissing:
      return kv() + ": there is no drive " + std::string(1, entry.rawValue()[0]) + ":\\";
    case EntryProblem::kDirectoryMissing:
      return kv() +
             ": the value must name an existing directory by a full path on a drive other than "
             "A: or B:";
    case EntryProblem::kMarkedInvalid:
      return kv() + ": marked invalid";
    case EntryProblem::kWriteFailed:
      return kv() + ": the line could not be written";
  }
  return "";
}

}  // namespace

bool namesSecret(std::string_view name) {
  for (std::string_view secret : secretKeywords()) {
    if (name.size() >= secret.size() &&
        ascii::equalsNoCase(name.substr(name.size() - secret.size()), secret)) {
      return true;
    }
  }
  return false;
}

std::string shownValue(const ResponseFileEntry& entry) {
  if (entry.rawValue() != nullptr && holdsSecret(entry)) {
    return "(a secret of " + std::to_string(std::strlen(entry.rawValue())) + " characters)";
  }
  return quoted(entry.rawValue());
}

std::vector<std::string> describeEntryProblems(const ResponseFile& file, int32_t index) {
  std::vector<std::string> problems;
  const ResponseFileEntry* entry = file.entryAt(index);
  if (entry == nullptr || entry->state() == EntryValid) return problems;
  std::string own = ownProblem(file, *entry);
  if (!own.empty()) problems.push_back(std::move(own));
  for (const Contradiction& found : entry->contradictions()) {
    problems.push_back(contradiction(file, *entry, found));
  }
  if (problems.empty()) problems.push_back(keywordAndValue(*entry) + ": invalid");
  return problems;
}
