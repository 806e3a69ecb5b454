#pragma once

#include <cstddef>
#include <memory>
#include <string_view>

// What a child wrote to one of its streams: a NUL-terminated text on the heap
// that starts at 1024 bytes and doubles whenever the next bytes and the
// terminator would not fit, so that appending costs amortised constant time.
// Before begin() (or after discard()) there is no capture at all, which reads
// as an empty text.
class CaptureBuffer {
 public:
  static constexpr std::size_t kInitialCapacity = 1024;

  // Starts an empty capture of kInitialCapacity bytes. False, and no capture,
  // when memory is short.
  bool begin();
  // Appends count bytes. False, and the capture unchanged, when there is no
  // capture or memory is short.
  bool append(const char* bytes, std::size_t count);
  // Back to no capture.
  void discard();

  bool present() const { return text_ != nullptr; }
  // Bytes captured, zero bytes included; the terminator is not counted.
  std::size_t size() const { return length_; }
  // Bytes allocated, the terminator's included; 0 without a capture.
  std::size_t capacity() const { return capacity_; }
  const char* c_str() const { return text_ != nullptr ? text_.get() : ""; }
  std::string_view view() const { return std::string_view(c_str(), length_); }

 private:
  std::unique_ptr<char[]> text_;
  std::size_t capacity_ = 0;
  std::size_t length_ = 0;
};
