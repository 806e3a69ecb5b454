#pragma once

#include <cstddef>
#include <cstdint>
#include <deque>
#include <string_view>
#include <vector>

#include "base/ascii.h"
#include "responsefile/case_folded_map.h"
#include "responsefile/response_file_entry.h"

// The entries that a newer line of the same keyword would replace: at most
// one per name, since a name always resolves to the same row. An open-address
// table from the folded name to the live entry keeps the search for an earlier
// line constant-time; a replaced entry's slot simply takes the newer index.
class NewestEntries {
 public:
  explicit NewestEntries(const std::deque<ResponseFileEntry>& entries) : entries_(entries) {}

  // Records index as the live entry of its name; returns the index of the
  // entry it replaces, or -1.
  int32_t replace(int32_t index) {
    // At most three slots in four used: few probes, little room.
    if ((used_ + 1) * 4 > slots_.size() * 3) grow();
    std::string_view name = entries_[index].nameView();
    uint32_t hash = static_cast<uint32_t>(CaseFoldedMap<int>::hashOf(name));
    Slot& slot = find(hash, name);
    if (slot.index < 0) {
      slot = {hash, index};
      ++used_;
      return -1;
    }
    int32_t previous = slot.index;
    slot.index = index;
    return previous;
  }

  // The entries have moved: the one at index i is now at newIndex[i].
  void renumber(const std::vector<int32_t>& newIndex) {
    for (Slot& slot : slots_) {
      if (slot.index >= 0) slot.index = newIndex[slot.index];
    }
  }

 private:
  struct Slot {
    uint32_t hash = 0;
    int32_t index = -1;
  };

  Slot& find(uint32_t hash, std::string_view name) {
    std::size_t mask = slots_.size() - 1;
    for (std::size_t i = hash & mask;; i = (i + 1) & mask) {
      Slot& slot = slots_[i];
      if (slot.index < 0) return slot;
      if (slot.hash == hash && ascii::equalsNoCase(entries_[slot.index].nameView(), name)) {
        return slot;
      }
    }
  }

  void grow() {
    std::vector<Slot> old(slots_.empty() ? 64 : slots_.size() * 2);
    old.swap(slots_);
    std::size_t mask = slots_.size() - 1;
    for (const Slot& slot : old) {
      if (slot.index < 0) continue;
      std::size_t i = slot.hash & mask;
      while (slots_[i].index >= 0) i = (i + 1) & mask;
      slots_[i] = slot;
    }
  }

  const std::deque<ResponseFileEntry>& entries_;
  std::vector<Slot> slots_;
  std::size_t used_ = 0;
};
