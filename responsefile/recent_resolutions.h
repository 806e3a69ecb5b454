#pragma once

#include <cstddef>
#include <cstdint>
#include <string_view>
#include <vector>

#include "base/ascii.h"
#include "responsefile/case_folded_map.h"

// The rows that keyword texts of one file resolved to lately, before the
// PROGNAME test. Within one file a text resolves the same way every time
// (letter case aside), and files repeat their keywords: most lines are
// resolved by one lookup here instead of a search through every way of
// writing them.
class RecentResolutions {
 public:
  // Longer texts are not remembered.
  static constexpr std::size_t kMaxText = 40;
  static constexpr int kNotRemembered = -2;

  // The row remembered for text, or kNotRemembered.
  int rowOf(std::string_view text) const {
    if (text.size() > kMaxText || slots_.empty()) return kNotRemembered;
    const Slot& slot = slots_[slotOf(CaseFoldedMap<int>::hashOf(text))];
    if (slot.length != text.size() || slot.row == kNotRemembered) return kNotRemembered;
    for (std::size_t i = 0; i < text.size(); ++i) {
      if (slot.folded[i] != ascii::toUpper(text[i])) return kNotRemembered;
    }
    return slot.row;
  }

  // Remembers text's row in place of what its slot held.
  void remember(std::string_view text, int row) {
    if (text.size() > kMaxText) return;
    if (slots_.empty()) slots_.resize(kSlots);
    Slot& slot = slots_[slotOf(CaseFoldedMap<int>::hashOf(text))];
    slot.length = static_cast<uint8_t>(text.size());
    for (std::size_t i = 0; i < text.size(); ++i) slot.folded[i] = ascii::toUpper(text[i]);
    slot.row = static_cast<int16_t>(row);
  }

  void clear() { slots_.clear(); }

 private:
  static constexpr std::size_t kSlots = 512;

  struct Slot {
    char folded[kMaxText];
    uint8_t length = 0;
    int16_t row = kNotRemembered;
  };

  static std::size_t slotOf(uint64_t hash) { return hash & (kSlots - 1); }

  std::vector<Slot> slots_;
};
