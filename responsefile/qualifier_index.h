#pragma once

#include <bitset>
#include <cstddef>
#include <cstdint>
#include <string_view>
#include <vector>

#include "base/ascii.h"
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
// instead of comparing it with every collected name. The names are not
// copied (a file may collect a hundred thousand): each must stay where it is
// while the index is in use.
class QualifierIndex {
 public:
  // Longest name this index can hold; longer names are never collected.
  static constexpr std::size_t kMaxNameLength = 80;

  void clear() {
    slots_.clear();
    used_ = 0;
    lengths_.reset();
  }

  // Adds role to name; empty names and names longer than kMaxNameLength are
  // ignored (no collected name is either).
  void add(std::string_view name, uint32_t role) {
    if (name.empty() || name.size() > kMaxNameLength) return;
    // At most three slots in four used: few probes, little room.
    if ((used_ + 1) * 4 > slots_.size() * 3) grow();
    const uint32_t hash = hashOf(name);
    Slot& slot = slots_[slotOf(hash, name)];
    if (slot.name == nullptr) {
      slot.name = name.data();
      slot.length = static_cast<uint8_t>(name.size());
      slot.hash = hash;
      ++used_;
    }
    slot.roles |= static_cast<uint8_t>(role);
    lengths_.set(name.size());
  }

  // The roles of name, compared case-insensitively; 0 when it is none.
  uint32_t rolesOf(std::string_view name) const {
    if (name.size() > kMaxNameLength || !lengths_.test(name.size())) return 0;
    return slots_[slotOf(hashOf(name), name)].roles;
  }

  // Whether some name has exactly this length.
  bool hasNameOfLength(std::size_t length) const {
    return length <= kMaxNameLength && lengths_.test(length);
  }

  bool empty() const { return used_ == 0; }

 private:
  static_assert(kQualifiesLevel <= 0xFF, "every role fits in a slot's byte of roles");

  struct Slot {
    const char* name = nullptr;
    uint32_t hash = 0;
    uint8_t length = 0;
    uint8_t roles = 0;
  };

  static uint32_t hashOf(std::string_view name) {
    return static_cast<uint32_t>(CaseFoldedMap<uint32_t>::hashOf(name));
  }

  // The slot of name, or the free slot where it would go; the table is never
  // full and holds a slot once a name of that length was added.
  std::size_t slotOf(uint32_t hash, std::string_view name) const {
    const std::size_t mask = slots_.size() - 1;
    for (std::size_t i = hash & mask;; i = (i + 1) & mask) {
      const Slot& slot = slots_[i];
      if (slot.name == nullptr) return i;
      if (slot.hash == hash &&
          ascii::equalsNoCase(std::string_view(slot.name, slot.length), name)) {
        return i;
      }
    }
  }

  void grow() {
    std::vector<Slot> old(slots_.empty() ? 16 : slots_.size() * 2);
    old.swap(slots_);
    const std::size_t mask = slots_.size() - 1;
    for (const Slot& slot : old) {
      if (slot.name == nullptr) continue;
      std::size_t i = slot.hash & mask;
      while (slots_[i].name != nullptr) i = (i + 1) & mask;
      slots_[i] = slot;
    }
  }

  std::vector<Slot> slots_;
  std::size_t used_ = 0;
  std::bitset<kMaxNameLength + 1> lengths_;
};
