#pragma once

#include <array>
#include <cstddef>
#include <cstring>
#include <string_view>

// A NUL-terminated single-byte text in a buffer of N bytes, the terminator
// included, as the system counts its buffer sizes (261 for paths, 65 for copy
// names, 39 for product codes, 4097 for command lines...). A text that does
// not fit is refused and the buffer keeps what it held: nothing is ever cut
// silently and nothing is written out of bounds.
template <std::size_t N>
class FixedText {
  static_assert(N >= 1, "a fixed text needs room for its terminator");

 public:
  static constexpr std::size_t kCapacity = N;
  static constexpr std::size_t kMaxLength = N - 1;

  FixedText() = default;

  // False, and unchanged, when s does not fit.
  bool assign(std::string_view s) {
    if (s.size() > kMaxLength) return false;
    std::memmove(buf_.data(), s.data(), s.size());
    len_ = s.size();
    buf_[len_] = '\0';
    return true;
  }

  // False, and unchanged, when the result would not fit.
  bool append(std::string_view s) {
    if (s.size() > kMaxLength - len_) return false;
    std::memmove(buf_.data() + len_, s.data(), s.size());
    len_ += s.size();
    buf_[len_] = '\0';
    return true;
  }

  bool append(char c) { return append(std::string_view(&c, 1)); }

  // Keeps the first n characters (no-op when the text is shorter).
  void truncate(std::size_t n) {
    if (n < len_) {
      len_ = n;
      buf_[len_] = '\0';
    }
  }

  void clear() {
    buf_.fill('\0');
    len_ = 0;
  }

  // For calls that write a terminated text into the raw buffer (platform
  // calls that take a buffer and a size): write through data(), at most N
  // bytes, then call syncLength().
  char* data() { return buf_.data(); }
  void syncLength() {
    buf_[kMaxLength] = '\0';
    len_ = std::strlen(buf_.data());
  }

  std::string_view view() const { return std::string_view(buf_.data(), len_); }
  const char* c_str() const { return buf_.data(); }
  std::size_t size() const { return len_; }
  bool empty() const { return len_ == 0; }
  char back() const { return len_ ? buf_[len_ - 1] : '\0'; }

 private:
  std::array<char, N> buf_{};
  std::size_t len_ = 0;
};

// The sizes of the system's common texts, terminator included.
constexpr std::size_t kPathCapacity = 261;  // 260 characters and the NUL
constexpr std::size_t kCopyNameCapacity = 65;
constexpr std::size_t kProductCodeCapacity = 39;  // a GUID in braces
constexpr std::size_t kCommandCapacity = 4097;
using PathText = FixedText<kPathCapacity>;
using CopyNameText = FixedText<kCopyNameCapacity>;
using ProductCodeText = FixedText<kProductCodeCapacity>;
using CommandText = FixedText<kCommandCapacity>;
