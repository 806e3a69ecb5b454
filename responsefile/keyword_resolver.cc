#include "responsefile/keyword_resolver.h"

#include <algorithm>
#include <cstdlib>
#include <new>
#include <string>

#include "responsefile/keyword_catalogue.h"
#include "responsefile/keyword_index.h"
#include "responsefile/response_file.h"

namespace {

// At most this much of a row's list of excluded programs is looked at.
constexpr std::size_t kMaxExcludedProgramsText = 512;

// The first row of rows, in table order, below limit that may be written in
// one of ways; limit when there is none.
int firstRowWrittenAs(const KeywordIndex& index, const KeywordIndex::Rows* rows, uint32_t ways,
                      int limit) {
  if (rows == nullptr) return limit;
  for (int row : *rows) {
    if (row >= limit) break;
    if (index.waysOf(row) & ways) return row;
  }
  return limit;
}

// PROGNAME as a ProgramNameForLoad scope took it.
struct LoadProgramName {
  bool active = false;
  bool set = false;
  std::string value;
};
thread_local LoadProgramName loadProgramName;

const char* runningProgram() {
  if (!loadProgramName.active) return std::getenv("PROGNAME");
  return loadProgramName.set ? loadProgramName.value.c_str() : nullptr;
}

bool excludedForRunningProgram(const KeywordDefinition& row) {
  if (row.excludedPrograms == nullptr) return false;
  const char* program = runningProgram();
  if (program == nullptr) return false;
  std::string_view list =
      std::string_view(row.excludedPrograms).substr(0, kMaxExcludedProgramsText);
  while (!list.empty()) {
    std::size_t blank = list.find(' ');
    std::string_view word = list.substr(0, blank);
    if (!word.empty() && word == program) return true;
    if (blank == std::string_view::npos) break;
    list.remove_prefix(blank + 1);
  }
  return false;
}

// Every row that the text could mean is a candidate; the row first in the
// table wins, however it was written. keywordCount when there is none.
int firstRowFor(std::string_view text, const ResponseFile* owner) {
  const KeywordIndex& index = KeywordIndex::get();
  int found = firstRowWrittenAs(index, index.rowsNamed(text), kWrittenPlain, keywordCount);
  if (owner == nullptr) return found;
  const QualifierIndex& names = owner->qualifiers();
  if (names.empty()) return found;
  // A qualified text is a collected name, one separator character of any
  // kind, and the keyword; the keyword must not be empty.
  std::size_t longest = std::min(QualifierIndex::kMaxNameLength, text.size() - 1);
  for (std::size_t length = 1; length + 1 < text.size() && length <= longest; ++length) {
    if (!names.hasNameOfLength(length)) continue;
    // The catalogue is small and the collected names may be many: ask for
    // the keyword first.
    const KeywordIndex::Rows* rows = index.rowsNamed(text.substr(length + 1));
    if (rows == nullptr || rows->front() >= found) continue;
    uint32_t roles = names.rolesOf(text.substr(0, length));
    if (roles != 0) found = firstRowWrittenAs(index, rows, roles, found);
  }
  return found;
}

}  // namespace

ProgramNameForLoad::ProgramNameForLoad() {
  if (loadProgramName.active) return;
  const char* program = std::getenv("PROGNAME");
  loadProgramName.set = program != nullptr;
  loadProgramName.value = program != nullptr ? program : "";
  loadProgramName.active = outermost_ = true;
}

ProgramNameForLoad::~ProgramNameForLoad() {
  if (outermost_) loadProgramName.active = false;
}

void resolveKeyword(ResponseFileEntry* entry, const char* text) {
  resolveKeyword(entry, text ? std::string_view(text) : std::string_view());
}

void resolveKeyword(ResponseFileEntry* entry, std::string_view text) {
  entry->clearName();
  entry->setCatalogueIndex(-1);
  if (text.empty()) return;
  try {
    entry->setName(text);
  } catch (const std::bad_alloc&) {
    entry->clearName();  // no memory for the copy: no name and no row
    return;
  }

  const ResponseFile* owner = entry->owner();
  int found = RecentResolutions::kNotRemembered;
  if (owner != nullptr) {
    owner->qualifiers();  // brings the names, and what was remembered for them, up to date
    found = owner->recentResolutions_.rowOf(text);
  }
  if (found == RecentResolutions::kNotRemembered) {
    found = firstRowFor(text, owner);
    if (owner != nullptr) owner->recentResolutions_.remember(text, found);
  }
  if (found == keywordCount) {
    entry->setState(EntryUnknownKeyword, EntryProblem::kUnknownKeyword);
    return;
  }
  if (excludedForRunningProgram(*definitionAt(found))) {
    entry->setState(EntryUnknownKeyword, EntryProblem::kExcludedForProgram);
    return;
  }
  entry->setCatalogueIndex(found);
}
