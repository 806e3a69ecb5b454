#pragma once

#include <cstddef>
#include <memory>
#include <string_view>
#include <vector>

// NUL-terminated copies of many short texts (the names and values of a
// response file's entries) in a few large blocks instead of a heap string
// each. A stored text never moves and is never freed on its own: it stays
// valid until the arena is compacted or destroyed.
class TextArena {
 public:
  TextArena() = default;
  TextArena(TextArena&&) = default;
  TextArena& operator=(TextArena&&) = default;

  // A copy of text with a NUL after it. Throws std::bad_alloc.
  const char* store(std::string_view text);

  // Bytes of the blocks held, kept texts and dropped ones alike.
  std::size_t bytesHeld() const;

  // Moves the texts still in use to the front of the arena and releases the
  // rest. keep() is called for every text to keep, in the order they were
  // stored, and answers its new place; the other texts of the arena become
  // invalid. Nothing is allocated, so it cannot fail.
  class Compaction {
   public:
    explicit Compaction(TextArena& arena) : arena_(arena) {}
    ~Compaction();
    Compaction(const Compaction&) = delete;
    Compaction& operator=(const Compaction&) = delete;

    const char* keep(const char* text);

   private:
    TextArena& arena_;
    std::size_t readBlock_ = 0;
    std::size_t writeBlock_ = 0;
    std::size_t writeOffset_ = 0;
  };

 private:
  struct Block {
    std::unique_ptr<char[]> data;
    std::size_t capacity = 0;
    std::size_t used = 0;
  };

  std::vector<Block> blocks_;
};
