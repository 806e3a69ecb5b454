#include "responsefile/text_arena.h"

#include <algorithm>
#include <cstring>
#include <functional>

namespace {

// Blocks grow from small (an entry made on its own holds a text or two) to
// this size; a longer text gets a block of its own length.
constexpr std::size_t kFirstBlockSize = 256;
constexpr std::size_t kLargestBlockSize = 64 * 1024;

bool holds(const char* begin, std::size_t size, const char* text) {
  std::less<const char*> before;
  return !before(text, begin) && before(text, begin + size);
}

}  // namespace

const char* TextArena::store(std::string_view text) {
  const std::size_t size = text.size() + 1;
  if (blocks_.empty() || blocks_.back().capacity - blocks_.back().used < size) {
    std::size_t capacity = blocks_.empty()
                               ? kFirstBlockSize
                               : std::min(blocks_.back().capacity * 2, kLargestBlockSize);
    capacity = std::max(capacity, size);
    Block block;
    block.data = std::make_unique<char[]>(capacity);
    block.capacity = capacity;
    blocks_.push_back(std::move(block));
  }
  Block& block = blocks_.back();
  char* copy = block.data.get() + block.used;
  std::memcpy(copy, text.data(), text.size());
  copy[text.size()] = '\0';
  block.used += size;
  return copy;
}

std::size_t TextArena::bytesHeld() const {
  std::size_t bytes = 0;
  for (const Block& block : blocks_) bytes += block.capacity;
  return bytes;
}

const char* TextArena::Compaction::keep(const char* text) {
  std::vector<Block>& blocks = arena_.blocks_;
  while (!holds(blocks[readBlock_].data.get(), blocks[readBlock_].used, text)) ++readBlock_;
  const std::size_t size = std::strlen(text) + 1;
  // The texts kept so far fill the blocks up to the one being read, never
  // beyond: the text always fits in its own block, where it is now.
  while (blocks[writeBlock_].capacity - writeOffset_ < size) {
    blocks[writeBlock_].used = writeOffset_;
    ++writeBlock_;
    writeOffset_ = 0;
  }
  char* place = blocks[writeBlock_].data.get() + writeOffset_;
  if (place != text) std::memmove(place, text, size);
  writeOffset_ += size;
  return place;
}

TextArena::Compaction::~Compaction() {
  std::vector<Block>& blocks = arena_.blocks_;
  if (blocks.empty()) return;
  blocks[writeBlock_].used = writeOffset_;
  blocks.erase(blocks.begin() + static_cast<std::ptrdiff_t>(writeBlock_) + 1, blocks.end());
}
