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
  std::size_t start = 0;
  while (start < part.size()) {
    if (joinPending_) {
      // Text follows the full line, so the reader takes it in.
      joined_.push_back(lines_);
      joinPending_ = false;
      keepNext_ = true;
    }
    const void* found = std::memchr(part.data() + start, '\n', part.size() - start);
    if (found == nullptr) {
      carry_.append(part.substr(start));
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
  if (!carry_.empty()) endLine(carry_, false);
  carry_.clear();
  carry_.shrink_to_fit();
  joinPending_ = false;
}

void LineLayout::endLine(std::string_view text, bool hasLineEnd) {
  constexpr std::size_t kPiece = PieceReader::kMaxPiece;
  ++lines_;
  bool keep = lines_ == 1 || keepNext_;
  keepNext_ = false;
  // The last piece of a line must hold no NUL byte to count as full: the
  // reader's view of a piece ends at its first NUL.
  if (hasLineEnd && (text.size() + 1) % kPiece == 0 &&
      text.substr(text.size() - (kPiece - 1)).find('\0') == std::string_view::npos) {
    joinPending_ = true;
    keep = true;
  }
  if (keep) kept_.push_back({lines_, std::string(text)});
}

bool LineLayout::joinsNext(int32_t n) const {
  return std::binary_search(joined_.begin(), joined_.end(), n);
}

std::string_view LineLayout::line(int32_t n) const {
  auto at =
      std::lower_bound(kept_.begin(), kept_.end(), n,
                       [](const KeptLine& kept, int32_t number) { return kept.number < number; });
  return at != kept_.end() && at->number == n ? std::string_view(at->text) : std::string_view();
}

int32_t LineLayout::fileLine(int32_t readerLine) const {
  const int32_t readerLines = lines_ - static_cast<int32_t>(joined_.size());
  if (readerLine < 1 || readerLine > readerLines) return readerLine;
  // Each join before the reader line's start pushes it down by one line. The
  // k-th join (0-based) is on reader line joined_[k] - k, which rises with k,
  // so the joins ahead of readerLine are found by halving.
  std::size_t low = 0;
  std::size_t high = joined_.size();
  while (low < high) {
    const std::size_t middle = low + (high - low) / 2;
    if (joined_[middle] - static_cast<int32_t>(middle) < readerLine) {
      low = middle + 1;
    } else {
      high = middle;
    }
  }
  return readerLine + static_cast<int32_t>(low);
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
