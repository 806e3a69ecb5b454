#include "responsefile/piece_reader.h"

#include <algorithm>
#include <cstring>

namespace {
constexpr std::size_t kBlockSize = 1 << 16;
}

PieceReader::PieceReader(std::FILE* stream) : stream_(stream), block_(kBlockSize) {
  std::rewind(stream_);
}

bool PieceReader::refill() {
  begin_ = end_ = 0;
  if (atEnd_) return false;
  end_ = std::fread(block_.data(), 1, block_.size(), stream_);
  if (end_ < block_.size()) atEnd_ = true;
  return end_ > 0;
}

bool PieceReader::next(std::string_view& piece) {
  carry_.clear();
  std::string_view raw;
  for (;;) {
    if (begin_ == end_ && !refill()) {
      if (carry_.empty()) return false;
      raw = std::string_view(carry_.data(), carry_.size());  // last line without newline
      break;
    }
    const char* data = block_.data() + begin_;
    std::size_t room = kMaxPiece - carry_.size();
    std::size_t scan = std::min(end_ - begin_, room);
    const void* newline = std::memchr(data, '\n', scan);
    std::size_t take = newline ? static_cast<const char*>(newline) - data + 1 : scan;
    if (newline == nullptr && take < room) {
      // The block ends inside the piece: keep what it holds and read on.
      carry_.insert(carry_.end(), data, data + take);
      begin_ += take;
      continue;
    }
    begin_ += take;
    if (carry_.empty()) {
      raw = std::string_view(data, take);
    } else {
      carry_.insert(carry_.end(), data, data + take);
      raw = std::string_view(carry_.data(), carry_.size());
    }
    break;
  }
  // A NUL byte ends the text that a line reader sees.
  const void* nul = std::memchr(raw.data(), '\0', raw.size());
  piece = nul ? raw.substr(0, static_cast<const char*>(nul) - raw.data()) : raw;
  return true;
}

bool PieceReader::failed() const { return std::ferror(stream_) != 0; }
