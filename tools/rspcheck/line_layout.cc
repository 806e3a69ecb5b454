#include "tools/rspcheck/line_layout.h"

#include <algorithm>
#include <cstdio>
#include <cstring>

#include "platform/platform.h"
#include "responsefile/piece_reader.h"

LineLayout::LineLayout(std::string_view text) {
  add(text);
  finish();
}

void LineLayout::add(std::string_view part) {
  if (head_.size() < kEncodingHeadSize) {
    head_.append(part.substr(0, kEncodingHeadSize - head_.size()));
  }
  // A line is looked at for UTF-8 only when its part, or the start of it
  // that an earlier part carried over, holds a byte beyond ASCII.
  checkLines_ = carryNonAscii_ || holdsNonAsciiByte(part);
  carryNonAscii_ = false;
  std::size_t start = 0;
  while (start < part.size()) {
    if (joinPending_) {
      // Text follows the full line, so the reader takes it in.
      joined_.push_back(lines_);
      joinPending_ = false;
    }
    const void* found = std::memchr(part.data() + start, '\n', part.size() - start);
    if (found == nullptr) {
      carry_.append(part.substr(start));
      carryNonAscii_ = checkLines_;
      return;
    }
    const std::size_t end = static_cast<std::size_t>(static_cast<const char*>(found) - part.data());
    std::string_view text = part.substr(start, end - start);
    if (!carry_.empty()) {
      carry_.append(text);
      text = carry_;
    }
    endLine(text, true);
    carry_.clear();
    start = end + 1;
  }
}

void LineLayout::finish() {
  checkLines_ = carryNonAscii_;
  if (!carry_.empty()) endLine(carry_, false);
  carry_.clear();
  carryNonAscii_ = false;
  carry_.shrink_to_fit();
  joinPending_ = false;
}

void LineLayout::endLine(std::string_view text, bool hasLineEnd) {
  constexpr std::size_t kPiece = PieceReader::kMaxPiece;
  const bool takenIn = !joined_.empty() && joined_.back() == lines_;
  ++lines_;
  // The reader's pieces of this line. A reader line begins with each piece
  // that follows one that is not full, and with the line's first piece unless
  // the line before took this one in.
  const std::size_t withEnd = text.size() + (hasLineEnd ? 1 : 0);
  bool pieceFull = takenIn;
  for (std::size_t at = 0; at < withEnd; at += kPiece) {
    if (!pieceFull) {
      ++readerLines_;
      const int32_t expected =
          anchors_.empty() ? readerLines_
                           : anchors_.back().fileLine + readerLines_ - anchors_.back().readerLine;
      if (expected != lines_) anchors_.push_back({readerLines_, lines_});
    }
    // The line end, when the piece holds it, is no NUL.
    pieceFull =
        withEnd - at >= kPiece && text.substr(at, kPiece).find('\0') == std::string_view::npos;
  }
  joinPending_ = hasLineEnd && pieceFull;
  const bool utf8 = checkLines_ && holdsUtf8Sequences(text);
  if (utf8) utf8Lines_.push_back(lines_);
  if (lines_ == 1 || takenIn || joinPending_ || utf8) kept_.push_back({lines_, std::string(text)});
}

std::string_view LineLayout::line(int32_t n) const {
  auto at =
      std::lower_bound(kept_.begin(), kept_.end(), n,
                       [](const KeptLine& kept, int32_t number) { return kept.number < number; });
  return at != kept_.end() && at->number == n ? std::string_view(at->text) : std::string_view();
}

int32_t LineLayout::fileLine(int32_t readerLine) const {
  if (readerLine < 1 || readerLine > readerLines_) return readerLine;
  auto after =
      std::upper_bound(anchors_.begin(), anchors_.end(), readerLine,
                       [](int32_t line, const Anchor& anchor) { return line < anchor.readerLine; });
  if (after == anchors_.begin()) return readerLine;
  const Anchor& anchor = *(after - 1);
  return anchor.fileLine + readerLine - anchor.readerLine;
}

bool readLineLayout(const char* path, LineLayout* layout) {
  std::FILE* stream = platform::openFile(path, "r");
  if (stream == nullptr) return false;
  char block[1 << 16];
  std::size_t read;
  while ((read = std::fread(block, 1, sizeof block, stream)) > 0) {
    layout->add(std::string_view(block, read));
  }
  layout->finish();
  bool failed = std::ferror(stream) != 0;
  std::fclose(stream);
  return !failed;
}
