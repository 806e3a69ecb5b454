#include "responsefile/keyword_index.h"

#include "base/ascii.h"
#include "responsefile/keyword_catalogue.h"

namespace {

uint32_t blockRolesOf(const char* blockKinds) {
  uint32_t roles = 0;
  if (blockKinds == nullptr) return roles;
  std::string_view rest(blockKinds);
  while (!rest.empty()) {
    std::size_t blank = rest.find(' ');
    roles |= KeywordIndex::blockRoleOf(rest.substr(0, blank));
    if (blank == std::string_view::npos) break;
    rest.remove_prefix(blank + 1);
  }
  return roles;
}

uint32_t waysOfRow(const KeywordDefinition& row) {
  uint32_t ways = blockRolesOf(row.blockKinds);
  if (row.plainScope != 0) ways |= kWrittenPlain;
  if (row.defaultInstanceScope != 0) ways |= kQualifiesDefaultInstance;
  if (row.adminInstanceScope != 0) ways |= kQualifiesAdminInstance;
  if (row.controlServerScope != 0) ways |= kQualifiesControlServer;
  if (row.instanceScope != 0) ways |= kQualifiesInstance;
  return ways;
}

}  // namespace

uint32_t KeywordIndex::blockRoleOf(std::string_view word) {
  if (word == "NEW_NODE") return kQualifiesNewNode;
  if (word == "CONTACT") return kQualifiesContact;
  if (word == "DATABASE") return kQualifiesDatabase;
  if (word == "LEVEL") return kQualifiesLevel;
  return 0;
}

KeywordIndex::KeywordIndex() : ways_(keywordCount, 0) {
  for (int row = 0; row < keywordCount; ++row) {
    const KeywordDefinition* definition = definitionAt(row);
    std::string_view name = definition->name;
    allRows_[name].push_back(static_cast<int16_t>(row));
    nameLengths_.set(name.size());
    namePrefixes_.set(prefixOf(name));
    if ((definition->programMask & kProgramThisLauncher) == 0) continue;
    launcherRows_[definition->name].push_back(static_cast<int16_t>(row));
    ways_[row] = waysOfRow(*definition);
  }
}

const KeywordIndex& KeywordIndex::get() {
  static const KeywordIndex index;
  return index;
}

const KeywordIndex::Rows* KeywordIndex::rowsNamed(std::string_view name) const {
  return mayBeName(name) ? launcherRows_.find(name) : nullptr;
}

const KeywordIndex::Rows* KeywordIndex::allRowsNamed(std::string_view name) const {
  return mayBeName(name) ? allRows_.find(name) : nullptr;
}

uint32_t KeywordIndex::waysOf(int row) const {
  return row >= 0 && row < keywordCount ? ways_[row] : 0;
}
