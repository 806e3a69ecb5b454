#include "tools/rspcheck/line_layout.h"

#include <cstdio>

#include "platform/platform.h"
#include "responsefile/piece_reader.h"

LineLayout::LineLayout(std::string_view text) {
  constexpr std::size_t kPiece = PieceReader::kMaxPiece;
  std::size_t start = 0;
  while (start < text.size()) {
    std::size_t end = text.find('\n', start);
    bool ended = end != std::string_view::npos;
    if (!ended) end = text.size();
    Line line{text.substr(start, end - start)};
    std::size_t withEnd = end - start + 1;
    // The last piece of a line must hold no NUL byte to count as full: the
    // reader's view of a piece ends at its first NUL.
    line.joinsNext = ended && end + 1 < text.size() && withEnd % kPiece == 0 &&
                     text.substr(end + 1 - kPiece, kPiece).find('\0') == std::string_view::npos;
    lines_.push_back(line);
    start = end + 1;
  }
  for (std::size_t n = 0; n < lines_.size(); ++n) {
    readerLineStarts_.push_back(static_cast<int32_t>(n + 1));
    while (lines_[n].joinsNext && n + 1 < lines_.size()) ++n;
  }
}

std::string_view LineLayout::line(int32_t n) const {
  return n >= 1 && n <= lineCount() ? lines_[n - 1].text : std::string_view();
}

bool LineLayout::joinsNext(int32_t n) const {
  return n >= 1 && n <= lineCount() && lines_[n - 1].joinsNext;
}

int32_t LineLayout::fileLine(int32_t readerLine) const {
  if (readerLine >= 1 && readerLine <= static_cast<int32_t>(readerLineStarts_.size())) {
    return readerLineStarts_[readerLine - 1];
  }
  return readerLine;
}

bool readResponseFileText(const char* path, std::string* text) {
  std::FILE* stream = platform::openFile(path, "r");
  if (stream == nullptr) return false;
  text->clear();
  char block[1 << 16];
  std::size_t read;
  while ((read = std::fread(block, 1, sizeof block, stream)) > 0) text->append(block, read);
  bool failed = std::ferror(stream) != 0;
  std::fclose(stream);
  return !failed;
}
