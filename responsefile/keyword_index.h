#pragma once

#include <bitset>
#include <cstdint>
#include <string_view>
#include <vector>

#include "base/ascii.h"
#include "responsefile/case_folded_map.h"
#include "responsefile/qualifier_index.h"

// Besides the QualifierRole bits: the row may be written as is.
constexpr uint32_t kWrittenPlain = 1u << 8;

// The keyword catalogue by upper-cased keyword, built once: resolving a
// keyword costs a hash lookup instead of a walk over every row.
class KeywordIndex {
 public:
  using Rows = std::vector<int16_t>;

  static const KeywordIndex& get();

  // Rows of that name (case-insensitive) that exist for this launcher, in
  // table order; null when there are none.
  const Rows* rowsNamed(std::string_view name) const;
  // Every row of that name, also those that do not exist for this launcher.
  const Rows* allRowsNamed(std::string_view name) const;
  // How the row may be written: kWrittenPlain and QualifierRole bits; 0 for
  // a row outside the table or one that does not exist for this launcher.
  uint32_t waysOf(int row) const;

  // The QualifierRole of a block keyword (NEW_NODE, CONTACT, DATABASE,
  // LEVEL, compared exactly), 0 for any other word.
  static uint32_t blockRoleOf(std::string_view word);

 private:
  KeywordIndex();

  // Whether some row's name has this length and begins with these two
  // letters: most texts that name no row are told apart without hashing them.
  bool mayBeName(std::string_view name) const {
    return !name.empty() && name.size() < nameLengths_.size() && nameLengths_[name.size()] &&
           namePrefixes_[prefixOf(name)];
  }
  // The first two letters of a name, upper case, as one number; a name of
  // one letter has the second letter 0.
  static std::size_t prefixOf(std::string_view name) {
    const auto first = static_cast<unsigned char>(ascii::toUpper(name[0]));
    const auto second = name.size() > 1 ? static_cast<unsigned char>(ascii::toUpper(name[1])) : 0u;
    return first * 256u + second;
  }

  CaseFoldedMap<Rows> launcherRows_;
  CaseFoldedMap<Rows> allRows_;
  std::vector<uint32_t> ways_;
  std::bitset<64> nameLengths_;
  std::bitset<256 * 256> namePrefixes_;
};
