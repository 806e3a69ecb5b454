#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "tools/rspcheck/text_encoding.h"

// A response file's lines as an editor shows them, and how setup's reader
// groups them. The reader takes a line in pieces of at most 1023 characters,
// its line end included, and keeps reading while a piece is full; a NUL byte
// ends what it sees of a piece, so a piece holding one is never full. So:
// - a line whose text and line end fill the last piece exactly (1022
//   characters, or 1022 plus a multiple of 1023) is read together with the
//   line after it, as one line with one number;
// - a line longer than a piece, with a NUL byte in a piece before its last,
//   is read as several lines, each with a number of its own.
//
// It also notes what setup reads otherwise than an editor shows it: whether
// the text is UTF-16, and which lines hold UTF-8 characters beyond ASCII.
//
// The text is taken in parts as it is read, and only the lines the warnings
// quote are kept: a file of millions of lines costs no more than its longest
// line and the few lines read otherwise than they look. A part of ASCII text
// is looked at once more, as a whole, for bytes beyond ASCII; only a part
// that holds them has its lines looked at one by one.
class LineLayout {
 public:
  LineLayout() = default;
  // The layout of a whole text.
  explicit LineLayout(std::string_view text);

  // Takes the next part of the text; parts may end anywhere in a line.
  void add(std::string_view part);
  // Ends the text: a last line without a line end counts, and a line that
  // would take in the next one takes in nothing.
  void finish();

  int32_t lineCount() const { return lines_; }
  // The file lines (1-based, ascending) that setup reads together with the
  // line after them.
  const std::vector<int32_t>& joinedLines() const { return joined_; }
  // The text of line n without its line end, for line 1, each line that joins
  // the next, each line taken in and each line of utf8Lines(); empty for any
  // other line.
  std::string_view line(int32_t n) const;
  // The first bytes of the text, at most kEncodingHeadSize, for telling
  // whether it is UTF-16.
  std::string_view head() const { return head_; }
  // The file lines (1-based, ascending) that are valid UTF-8 with at least
  // one character beyond ASCII (holdsUtf8Sequences).
  const std::vector<int32_t>& utf8Lines() const { return utf8Lines_; }
  // The line of the file where the line that setup numbers readerLine
  // begins; readerLine itself past the file's end.
  int32_t fileLine(int32_t readerLine) const;

 private:
  void endLine(std::string_view text, bool hasLineEnd);

  struct KeptLine {
    int32_t number;
    std::string text;
  };
  // From this line of the reader on, each reader line begins one file line
  // after the one before, until the next anchor.
  struct Anchor {
    int32_t readerLine;
    int32_t fileLine;
  };
  int32_t lines_ = 0;
  int32_t readerLines_ = 0;
  std::vector<int32_t> joined_;
  std::vector<KeptLine> kept_;
  std::vector<Anchor> anchors_;
  std::vector<int32_t> utf8Lines_;
  std::string head_;
  std::string carry_;           // the start of a line that a part cut off
  bool joinPending_ = false;    // the last line ended full; it joins if more text follows
  bool checkLines_ = false;     // the part being taken, or carry_, holds a byte beyond ASCII
  bool carryNonAscii_ = false;  // carry_ may hold a byte beyond ASCII
};

// The layout of a response file as setup's reader gets it: opened by Windows
// path in text mode. False when the file cannot be opened or read.
bool readLineLayout(const char* path, LineLayout* layout);
