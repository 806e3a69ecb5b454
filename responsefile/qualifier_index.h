#pragma once

#include <bitset>
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "responsefile/case_folded_map.h"

// The roles in which a name collected from a response file may stand in front
// of a keyword (the name, one separator character, the keyword).
enum QualifierRole : uint32_t {
  kQualifiesDefaultInstance = 1u << 0,
  kQualifiesAdminInstance = 1u << 1,
  kQualifiesControlServer = 1u << 2,
  kQualifiesInstance = 1u << 3,
  kQualifiesNewNode = 1u << 4,
  kQualifiesContact = 1u << 5,
  kQualifiesDatabase = 1u << 6,
  kQualifiesLevel = 1u << 7,
};

// Every qualifying name of one response file with its roles, so that a
// keyword text can be split into name and keyword by a few hash lookups
// instead of comparing it with every collected name.
class QualifierIndex {
 public:
  // Longest name this index can hold; longer names are never collected.
  static constexpr std::size_t kMaxNameLength = 80;

  void clear() {
    roles_.clear();
    lengths_.reset();
  }

  // Adds role to name; empty names and names longer than kMaxNameLength are
  // ignored (no collected name is either).
  void add(std::string_view name, uint32_t role) {
    if (name.empty() || name.size() > kMaxNameLength) return;
    roles_[name] |= role;
    lengths_.set(name.size());
  }

  // The roles of name, compared case-insensitively; 0 when it is none.
  uint32_t rolesOf(std::string_view name) const {
    if (name.size() > kMaxNameLength || !lengths_.test(name.size())) return 0;
    const uint32_t* roles = roles_.find(name);
    return roles ? *roles : 0;
  }

  // Whether some name has exactly this length.
  bool hasNameOfLength(std::size_t length) const {
    return length <= kMaxNameLength && lengths_.test(length);
  }

  bool empty() const { return roles_.size() == 0; }

 private:
  CaseFoldedMap<uint32_t> roles_;
  std::bitset<kMaxNameLength + 1> lengths_;
};
