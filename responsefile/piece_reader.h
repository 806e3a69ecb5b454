#pragma once

#include <cstddef>
#include <cstdio>
#include <string_view>
#include <vector>

// Reads a text stream the way a line-by-line reader with a 1024-byte buffer
// sees it: pieces of at most 1023 characters that end after a newline or
// where the buffer is full, each cut at its first NUL byte. The stream is
// read in large blocks, so a pass over a big file costs little more than
// copying it.
class PieceReader {
 public:
  static constexpr std::size_t kMaxPiece = 1023;

  // Rewinds the stream (clearing its error and end-of-file indicators).
  explicit PieceReader(std::FILE* stream);

  // The next piece, false at the end of the stream or on a read error. The
  // view is valid until the next call.
  bool next(std::string_view& piece);

  // Whether the stream reported a read error.
  bool failed() const;

 private:
  bool refill();

  std::FILE* stream_;
  std::vector<char> block_;
  std::size_t begin_ = 0;
  std::size_t end_ = 0;
  bool atEnd_ = false;
  std::vector<char> carry_;
};
