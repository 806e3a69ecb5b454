#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>
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
  // Texts equal but for the case of their ASCII letters hash alike: clearing
  // bit 0x20 of every byte upper-cases the letters (and changes other bytes
  // alike in both texts). Eight bytes at a time.
  static std::uint64_t hashOf(std::string_view text) {
    constexpr std::uint64_t kFold = 0xDFDFDFDFDFDFDFDFull;
    constexpr std::uint64_t kMultiplier = 0x9E3779B97F4A7C15ull;
    std::uint64_t h = text.size() * kMultiplier;
    const char* p = text.data();
    std::size_t n = text.size();
    for (; n >= 8; p += 8, n -= 8) {
      std::uint64_t word;
      std::memcpy(&word, p, 8);
      h = (h ^ (word & kFold)) * kMultiplier;
      h ^= h >> 32;
    }
    if (n > 0) {
      std::uint64_t word = 0;
      std::memcpy(&word, p, n);
      h = (h ^ (word & kFold)) * kMultiplier;
    }
    h ^= h >> 29;
    h *= 0xBF58476D1CE4E5B9ull;
    return h ^ (h >> 32);
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
