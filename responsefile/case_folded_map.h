#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "base/ascii.h"

// A hash map from texts compared ASCII case-insensitively to values. Lookups
// take a string_view and allocate nothing, so the reader can ask it once per
// line at no more cost than hashing the text.
template <class V>
class CaseFoldedMap {
 public:
  static std::uint64_t hashOf(std::string_view text) {
    std::uint64_t h = 1469598103934665603ull;  // FNV-1a
    for (char c : text) {
      h ^= static_cast<unsigned char>(ascii::toUpper(c));
      h *= 1099511628211ull;
    }
    return h;
  }

  // The value stored for key, or null.
  const V* find(std::string_view key) const {
    if (size_ == 0) return nullptr;
    std::size_t mask = slots_.size() - 1;
    for (std::size_t i = hashOf(key) & mask;; i = (i + 1) & mask) {
      const Slot& slot = slots_[i];
      if (!slot.used) return nullptr;
      if (ascii::equalsNoCase(slot.key, key)) return &slot.value;
    }
  }

  // The value for key, inserted default-constructed when missing.
  V& operator[](std::string_view key) {
    if ((size_ + 1) * 2 > slots_.size()) grow();
    std::size_t mask = slots_.size() - 1;
    for (std::size_t i = hashOf(key) & mask;; i = (i + 1) & mask) {
      Slot& slot = slots_[i];
      if (!slot.used) {
        slot.used = true;
        slot.key.assign(key);
        ++size_;
        return slot.value;
      }
      if (ascii::equalsNoCase(slot.key, key)) return slot.value;
    }
  }

  std::size_t size() const { return size_; }
  void clear() {
    slots_.clear();
    size_ = 0;
  }

 private:
  struct Slot {
    std::string key;
    V value{};
    bool used = false;
  };

  void grow() {
    std::vector<Slot> old;
    old.swap(slots_);
    slots_.resize(old.empty() ? 16 : old.size() * 2);
    size_ = 0;
    for (Slot& slot : old) {
      if (slot.used) (*this)[slot.key] = std::move(slot.value);
    }
  }

  std::vector<Slot> slots_;
  std::size_t size_ = 0;
};
