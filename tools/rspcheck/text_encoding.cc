#include "tools/rspcheck/text_encoding.h"

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <iterator>

#include "base/utf8.h"
#include "platform/platform.h"

namespace {

// The Unicode names of the characters that code page 1252 holds beyond
// ASCII, which are the characters a Western system's setup makes of UTF-8
// bytes, sorted by code point.
struct CharacterName {
  char32_t codePoint;
  const char* name;
};
constexpr CharacterName kNames[] = {
    {0x00A0, "NO-BREAK SPACE"},
    {0x00A1, "INVERTED EXCLAMATION MARK"},
    {0x00A2, "CENT SIGN"},
    {0x00A3, "POUND SIGN"},
    {0x00A4, "CURRENCY SIGN"},
    {0x00A5, "YEN SIGN"},
    {0x00A6, "BROKEN BAR"},
    {0x00A7, "SECTION SIGN"},
    {0x00A8, "DIAERESIS"},
    {0x00A9, "COPYRIGHT SIGN"},
    {0x00AA, "FEMININE ORDINAL INDICATOR"},
    {0x00AB, "LEFT-POINTING DOUBLE ANGLE QUOTATION MARK"},
    {0x00AC, "NOT SIGN"},
    {0x00AD, "SOFT HYPHEN"},
    {0x00AE, "REGISTERED SIGN"},
    {0x00AF, "MACRON"},
    {0x00B0, "DEGREE SIGN"},
    {0x00B1, "PLUS-MINUS SIGN"},
    {0x00B2, "SUPERSCRIPT TWO"},
    {0x00B3, "SUPERSCRIPT THREE"},
    {0x00B4, "ACUTE ACCENT"},
    {0x00B5, "MICRO SIGN"},
    {0x00B6, "PILCROW SIGN"},
    {0x00B7, "MIDDLE DOT"},
    {0x00B8, "CEDILLA"},
    {0x00B9, "SUPERSCRIPT ONE"},
    {0x00BA, "MASCULINE ORDINAL INDICATOR"},
    {0x00BB, "RIGHT-POINTING DOUBLE ANGLE QUOTATION MARK"},
    {0x00BC, "VULGAR FRACTION ONE QUARTER"},
    {0x00BD, "VULGAR FRACTION ONE HALF"},
    {0x00BE, "VULGAR FRACTION THREE QUARTERS"},
    {0x00BF, "INVERTED QUESTION MARK"},
    {0x00C0, "LATIN CAPITAL LETTER A WITH GRAVE"},
    {0x00C1, "LATIN CAPITAL LETTER A WITH ACUTE"},
    {0x00C2, "LATIN CAPITAL LETTER A WITH CIRCUMFLEX"},
    {0x00C3, "LATIN CAPITAL LETTER A WITH TILDE"},
    {0x00C4, "LATIN CAPITAL LETTER A WITH DIAERESIS"},
    {0x00C5, "LATIN CAPITAL LETTER A WITH RING ABOVE"},
    {0x00C6, "LATIN CAPITAL LETTER AE"},
    {0x00C7, "LATIN CAPITAL LETTER C WITH CEDILLA"},
    {0x00C8, "LATIN CAPITAL LETTER E WITH GRAVE"},
    {0x00C9, "LATIN CAPITAL LETTER E WITH ACUTE"},
    {0x00CA, "LATIN CAPITAL LETTER E WITH CIRCUMFLEX"},
    {0x00CB, "LATIN CAPITAL LETTER E WITH DIAERESIS"},
    {0x00CC, "LATIN CAPITAL LETTER I WITH GRAVE"},
    {0x00CD, "LATIN CAPITAL LETTER I WITH ACUTE"},
    {0x00CE, "LATIN CAPITAL LETTER I WITH CIRCUMFLEX"},
    {0x00CF, "LATIN CAPITAL LETTER I WITH DIAERESIS"},
    {0x00D0, "LATIN CAPITAL LETTER ETH"},
    {0x00D1, "LATIN CAPITAL LETTER N WITH TILDE"},
    {0x00D2, "LATIN CAPITAL LETTER O WITH GRAVE"},
    {0x00D3, "LATIN CAPITAL LETTER O WITH ACUTE"},
    {0x00D4, "LATIN CAPITAL LETTER O WITH CIRCUMFLEX"},
    {0x00D5, "LATIN CAPITAL LETTER O WITH TILDE"},
    {0x00D6, "LATIN CAPITAL LETTER O WITH DIAERESIS"},
    {0x00D7, "MULTIPLICATION SIGN"},
    {0x00D8, "LATIN CAPITAL LETTER O WITH STROKE"},
    {0x00D9, "LATIN CAPITAL LETTER U WITH GRAVE"},
    {0x00DA, "LATIN CAPITAL LETTER U WITH ACUTE"},
    {0x00DB, "LATIN CAPITAL LETTER U WITH CIRCUMFLEX"},
    {0x00DC, "LATIN CAPITAL LETTER U WITH DIAERESIS"},
    {0x00DD, "LATIN CAPITAL LETTER Y WITH ACUTE"},
    {0x00DE, "LATIN CAPITAL LETTER THORN"},
    {0x00DF, "LATIN SMALL LETTER SHARP S"},
    {0x00E0, "LATIN SMALL LETTER A WITH GRAVE"},
    {0x00E1, "LATIN SMALL LETTER A WITH ACUTE"},
    {0x00E2, "LATIN SMALL LETTER A WITH CIRCUMFLEX"},
    {0x00E3, "LATIN SMALL LETTER A WITH TILDE"},
    {0x00E4, "LATIN SMALL LETTER A WITH DIAERESIS"},
    {0x00E5, "LATIN SMALL LETTER A WITH RING ABOVE"},
    {0x00E6, "LATIN SMALL LETTER AE"},
    {0x00E7, "LATIN SMALL LETTER C WITH CEDILLA"},
    {0x00E8, "LATIN SMALL LETTER E WITH GRAVE"},
    {0x00E9, "LATIN SMALL LETTER E WITH ACUTE"},
    {0x00EA, "LATIN SMALL LETTER E WITH CIRCUMFLEX"},
    {0x00EB, "LATIN SMALL LETTER E WITH DIAERESIS"},
    {0x00EC, "LATIN SMALL LETTER I WITH GRAVE"},
    {0x00ED, "LATIN SMALL LETTER I WITH ACUTE"},
    {0x00EE, "LATIN SMALL LETTER I WITH CIRCUMFLEX"},
    {0x00EF, "LATIN SMALL LETTER I WITH DIAERESIS"},
    {0x00F0, "LATIN SMALL LETTER ETH"},
    {0x00F1, "LATIN SMALL LETTER N WITH TILDE"},
    {0x00F2, "LATIN SMALL LETTER O WITH GRAVE"},
    {0x00F3, "LATIN SMALL LETTER O WITH ACUTE"},
    {0x00F4, "LATIN SMALL LETTER O WITH CIRCUMFLEX"},
    {0x00F5, "LATIN SMALL LETTER O WITH TILDE"},
    {0x00F6, "LATIN SMALL LETTER O WITH DIAERESIS"},
    {0x00F7, "DIVISION SIGN"},
    {0x00F8, "LATIN SMALL LETTER O WITH STROKE"},
    {0x00F9, "LATIN SMALL LETTER U WITH GRAVE"},
    {0x00FA, "LATIN SMALL LETTER U WITH ACUTE"},
    {0x00FB, "LATIN SMALL LETTER U WITH CIRCUMFLEX"},
    {0x00FC, "LATIN SMALL LETTER U WITH DIAERESIS"},
    {0x00FD, "LATIN SMALL LETTER Y WITH ACUTE"},
    {0x00FE, "LATIN SMALL LETTER THORN"},
    {0x00FF, "LATIN SMALL LETTER Y WITH DIAERESIS"},
    {0x0152, "LATIN CAPITAL LIGATURE OE"},
    {0x0153, "LATIN SMALL LIGATURE OE"},
    {0x0160, "LATIN CAPITAL LETTER S WITH CARON"},
    {0x0161, "LATIN SMALL LETTER S WITH CARON"},
    {0x0178, "LATIN CAPITAL LETTER Y WITH DIAERESIS"},
    {0x017D, "LATIN CAPITAL LETTER Z WITH CARON"},
    {0x017E, "LATIN SMALL LETTER Z WITH CARON"},
    {0x0192, "LATIN SMALL LETTER F WITH HOOK"},
    {0x02C6, "MODIFIER LETTER CIRCUMFLEX ACCENT"},
    {0x02DC, "SMALL TILDE"},
    {0x2013, "EN DASH"},
    {0x2014, "EM DASH"},
    {0x2018, "LEFT SINGLE QUOTATION MARK"},
    {0x2019, "RIGHT SINGLE QUOTATION MARK"},
    {0x201A, "SINGLE LOW-9 QUOTATION MARK"},
    {0x201C, "LEFT DOUBLE QUOTATION MARK"},
    {0x201D, "RIGHT DOUBLE QUOTATION MARK"},
    {0x201E, "DOUBLE LOW-9 QUOTATION MARK"},
    {0x2020, "DAGGER"},
    {0x2021, "DOUBLE DAGGER"},
    {0x2022, "BULLET"},
    {0x2026, "HORIZONTAL ELLIPSIS"},
    {0x2030, "PER MILLE SIGN"},
    {0x2039, "SINGLE LEFT-POINTING ANGLE QUOTATION MARK"},
    {0x203A, "SINGLE RIGHT-POINTING ANGLE QUOTATION MARK"},
    {0x20AC, "EURO SIGN"},
    {0x2122, "TRADE MARK SIGN"},
};

constexpr bool sortedByCodePoint() {
  for (std::size_t i = 1; i < std::size(kNames); ++i) {
    if (kNames[i - 1].codePoint >= kNames[i].codePoint) return false;
  }
  return true;
}
static_assert(sortedByCodePoint(), "the names are looked up by binary search");

const char* nameOf(char32_t codePoint) {
  auto found = std::lower_bound(
      std::begin(kNames), std::end(kNames), codePoint,
      [](const CharacterName& entry, char32_t cp) { return entry.codePoint < cp; });
  return found != std::end(kNames) && found->codePoint == codePoint ? found->name : nullptr;
}

}  // namespace

Utf16Form recognizeUtf16(std::string_view head) {
  if (head.size() < 2) return Utf16Form::kNone;
  const auto byte = [&](std::size_t i) { return static_cast<unsigned char>(head[i]); };
  if (byte(0) == 0xFF && byte(1) == 0xFE) return Utf16Form::kLittleEndianWithMark;
  if (byte(0) == 0xFE && byte(1) == 0xFF) return Utf16Form::kBigEndianWithMark;
  const std::size_t units = std::min<std::size_t>(head.size(), kEncodingHeadSize) / 2;
  bool little = true;
  bool big = true;
  for (std::size_t i = 0; i < units; ++i) {
    const bool firstNul = byte(2 * i) == 0;
    const bool secondNul = byte(2 * i + 1) == 0;
    little = little && !firstNul && secondNul;
    big = big && firstNul && !secondNul;
  }
  if (little) return Utf16Form::kLittleEndian;
  if (big) return Utf16Form::kBigEndian;
  return Utf16Form::kNone;
}

bool holdsNonAsciiByte(std::string_view text) {
  // Every block of a file passes through here, so it goes 64 bytes at a time
  // in four 16-byte vectors (GCC's and Clang's vector types, as wide as the
  // SSE2 registers of every x86-64 processor): ten times as fast as words.
  using Bytes16 = unsigned char __attribute__((vector_size(16)));
  const char* p = text.data();
  std::size_t left = text.size();
  Bytes16 any[4] = {};
  for (; left >= sizeof any; p += sizeof any, left -= sizeof any) {
    Bytes16 block[4];
    std::memcpy(block, p, sizeof block);
    any[0] |= block[0];
    any[1] |= block[1];
    any[2] |= block[2];
    any[3] |= block[3];
  }
  const Bytes16 folded = any[0] | any[1] | any[2] | any[3];
  unsigned char all = 0;
  for (std::size_t i = 0; i < sizeof folded; ++i) all |= folded[i];
  for (; left > 0; ++p, --left) all |= static_cast<unsigned char>(*p);
  return (all & 0x80) != 0;
}

bool holdsUtf8Sequences(std::string_view text) {
  return holdsNonAsciiByte(text) && isValidUtf8(text);
}

std::u32string decodeUtf8(std::string_view text) {
  std::u32string characters;
  for (std::size_t at = 0; at < text.size();) {
    const char32_t cp = nextUtf8(text, at);
    if (cp == kInvalidUtf8) return std::u32string();
    characters += cp;
  }
  return characters;
}

std::u32string readInSystemCodePage(std::string_view text) {
  // The platform converts a terminated text, so a NUL ends it as it ends
  // setup's reading of a line.
  std::string ansi(text.substr(0, text.find('\0')));
  std::string utf8(ansi.size() * 3 + 1, '\0');
  const uint32_t length =
      platform::ansiToUtf8(ansi.c_str(), utf8.data(), static_cast<uint32_t>(utf8.size()));
  if (length >= utf8.size()) return std::u32string();  // never: three bytes per byte fit
  utf8.resize(length);
  return decodeUtf8(utf8);
}

std::string describeCharacters(std::u32string_view characters) {
  std::string out;
  bool inRun = false;
  for (char32_t cp : characters) {
    const bool printable = cp >= 0x20 && cp < 0x7F;
    if (printable && inRun) {
      out.insert(out.size() - 1, 1, static_cast<char>(cp));
      continue;
    }
    if (!out.empty()) out += ", ";
    inRun = printable;
    if (printable) {
      out += '\'';
      out += static_cast<char>(cp);
      out += '\'';
      continue;
    }
    char code[16];
    std::snprintf(code, sizeof code, "U+%04X", static_cast<unsigned>(cp));
    out += code;
    if (const char* name = nameOf(cp)) {
      out += ' ';
      out += name;
    }
  }
  return out;
}
