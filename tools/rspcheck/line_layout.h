#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

// A response file's lines as an editor shows them, and how setup's reader
// groups them. The reader takes a line in pieces of at most 1023 characters,
// its line end included, and keeps reading while a piece is full. So a line
// whose text and line end fill the last piece exactly (1022 characters, or
// 1022 plus a multiple of 1023) is read together with the line after it, as
// one line with one number.
class LineLayout {
 public:
  explicit LineLayout(std::string_view text);

  int32_t lineCount() const { return static_cast<int32_t>(lines_.size()); }
  // The text of line n (1-based) without its line end; empty outside the file.
  std::string_view line(int32_t n) const;
  // Whether setup reads line n and the line after it as one line.
  bool joinsNext(int32_t n) const;
  // The line of the file where the line that setup numbers readerLine
  // begins; readerLine itself past the file's end.
  int32_t fileLine(int32_t readerLine) const;

 private:
  struct Line {
    std::string_view text;
    bool joinsNext = false;
  };
  std::vector<Line> lines_;
  std::vector<int32_t> readerLineStarts_;
};

// The text of a response file as setup's reader gets it: opened by Windows
// path in text mode. False when the file cannot be opened or read.
bool readResponseFileText(const char* path, std::string* text);
