#include "packaging/msidb/stream_name.h"

#include <cstdint>

#include "base/utf8.h"

namespace msidb {
namespace {

constexpr char32_t kTableMark = 0x4840;
constexpr char32_t kPairBase = 0x3800;    // two packed characters
constexpr char32_t kSingleBase = 0x4800;  // one packed character
constexpr int kPackedCount = 64;

// The packed value of a character, or -1 for one that is kept as it is.
int packedValue(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'A' && c <= 'Z') return c - 'A' + 10;
  if (c >= 'a' && c <= 'z') return c - 'a' + 36;
  if (c == '.') return 62;
  if (c == '_') return 63;
  return -1;
}

char packedCharacter(int value) {
  if (value < 10) return static_cast<char>('0' + value);
  if (value < 36) return static_cast<char>('A' + value - 10);
  if (value < 62) return static_cast<char>('a' + value - 36);
  return value == 62 ? '.' : '_';
}

// The next code point of the UTF-8 text at *at (BMP only, as compound-file
// names are UTF-16 without surrogates here); nullopt when malformed.
std::optional<char32_t> nextCodePoint(std::string_view text, std::size_t* at) {
  const auto byte = [&](std::size_t i) { return static_cast<uint8_t>(text[i]); };
  const uint8_t lead = byte(*at);
  int length = lead < 0x80 ? 1 : (lead & 0xE0) == 0xC0 ? 2 : (lead & 0xF0) == 0xE0 ? 3 : 0;
  if (length == 0 || *at + length > text.size()) return std::nullopt;
  char32_t c = length == 1 ? lead : length == 2 ? (lead & 0x1F) : (lead & 0x0F);
  for (int i = 1; i < length; ++i) {
    if ((byte(*at + i) & 0xC0) != 0x80) return std::nullopt;
    c = (c << 6) | (byte(*at + i) & 0x3F);
  }
  *at += static_cast<std::size_t>(length);
  return c;
}

}  // namespace

std::string encodeStreamName(std::string_view name, bool isTable) {
  std::string out;
  if (isTable) appendUtf8(out, kTableMark);
  for (std::size_t i = 0; i < name.size(); ++i) {
    const int first = packedValue(name[i]);
    if (first < 0) {
      appendUtf8(out, static_cast<unsigned char>(name[i]));
      continue;
    }
    const int second = i + 1 < name.size() ? packedValue(name[i + 1]) : -1;
    if (second >= 0) {
      appendUtf8(out, kPairBase + static_cast<char32_t>(first + (second << 6)));
      ++i;
    } else {
      appendUtf8(out, kSingleBase + static_cast<char32_t>(first));
    }
  }
  return out;
}

std::optional<DecodedStreamName> decodeStreamName(std::string_view utf8) {
  DecodedStreamName decoded;
  std::size_t at = 0;
  bool first = true;
  while (at < utf8.size()) {
    const std::optional<char32_t> c = nextCodePoint(utf8, &at);
    if (!c) return std::nullopt;
    if (first && *c == kTableMark) {
      decoded.isTable = true;
    } else if (*c >= kPairBase && *c < kSingleBase) {
      const int packed = static_cast<int>(*c - kPairBase);
      decoded.name += packedCharacter(packed % kPackedCount);
      decoded.name += packedCharacter(packed / kPackedCount);
    } else if (*c >= kSingleBase && *c < kSingleBase + kPackedCount) {
      decoded.name += packedCharacter(static_cast<int>(*c - kSingleBase));
    } else {
      appendUtf8(decoded.name, *c);
    }
    first = false;
  }
  return decoded;
}

}  // namespace msidb
