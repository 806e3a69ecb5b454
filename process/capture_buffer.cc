#include "process/capture_buffer.h"

#include <cstring>
#include <limits>
#include <new>

bool CaptureBuffer::begin() {
  std::unique_ptr<char[]> text(new (std::nothrow) char[kInitialCapacity]);
  if (text == nullptr) {
    discard();
    return false;
  }
  text[0] = '\0';
  text_ = std::move(text);
  capacity_ = kInitialCapacity;
  length_ = 0;
  return true;
}

bool CaptureBuffer::append(const char* bytes, std::size_t count) {
  if (text_ == nullptr) return false;
  if (count > std::numeric_limits<std::size_t>::max() / 2 - length_ - 1) return false;
  std::size_t needed = length_ + count + 1;
  if (needed > capacity_) {
    std::size_t grown = capacity_;
    while (grown < needed) grown *= 2;
    std::unique_ptr<char[]> text(new (std::nothrow) char[grown]);
    if (text == nullptr) return false;
    std::memcpy(text.get(), text_.get(), length_ + 1);
    text_ = std::move(text);
    capacity_ = grown;
  }
  std::memcpy(text_.get() + length_, bytes, count);
  length_ += count;
  text_[length_] = '\0';
  return true;
}

void CaptureBuffer::discard() {
  text_.reset();
  capacity_ = 0;
  length_ = 0;
}
