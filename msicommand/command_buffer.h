#pragma once

#include <cstddef>
#include <cstring>
#include <string_view>

// Appends to the caller's command buffer without ever writing past it. The
// composed text may take at most size - 2 characters (a command that reaches
// size - 1 is refused as too long); a piece that does not fit is refused whole
// and every later piece with it, so the buffer keeps what fitted before.
class CommandBuffer {
 public:
  CommandBuffer(char* buffer, std::size_t size) : buffer_(buffer), size_(size) {
    if (size_ > 0) buffer_[0] = '\0';
    overflowed_ = size_ < 2;
  }

  void append(std::string_view piece) {
    if (overflowed_) return;
    if (piece.size() > maxLength() - length_) {
      overflowed_ = true;
      return;
    }
    std::memcpy(buffer_ + length_, piece.data(), piece.size());
    length_ += piece.size();
    buffer_[length_] = '\0';
  }

  // A double quote, the text and a double quote; nothing inside is escaped.
  void appendQuoted(std::string_view text) {
    if (text.size() + 2 > maxLength() - length_) {
      overflowed_ = true;
      return;
    }
    append("\"");
    append(text);
    append("\"");
  }

  // Replaces everything composed so far.
  void reset(std::string_view text) {
    length_ = 0;
    overflowed_ = size_ < 2;
    if (size_ > 0) buffer_[0] = '\0';
    append(text);
  }

  bool fits() const { return !overflowed_; }
  std::size_t length() const { return length_; }

 private:
  std::size_t maxLength() const { return size_ < 2 ? 0 : size_ - 2; }

  char* buffer_;
  std::size_t size_;
  std::size_t length_ = 0;
  bool overflowed_ = false;
};
