#pragma once

#include <cstddef>
#include <string>
#include <string_view>

// UTF-8 reading and writing, for the code that takes texts from a host or a
// file and hands them on. Touches no operating system, so the launcher, the
// tools and the emulated machine share it.

// What nextUtf8 answers for a byte that starts no well-formed sequence.
constexpr char32_t kInvalidUtf8 = 0xFFFFFFFF;

// The code point of the UTF-8 sequence at text[at], at moved past it. A byte
// that starts no well-formed sequence (a stray continuation byte, an overlong
// form, a surrogate, a code point past U+10FFFF, a sequence cut off) answers
// kInvalidUtf8 and moves at past that one byte only, so that a conversion
// replaces every such byte, as Windows' own conversion does.
inline char32_t nextUtf8(std::string_view text, std::size_t& at) {
  const std::size_t start = at;
  const auto lead = static_cast<unsigned char>(text[at++]);
  if (lead < 0x80) return lead;
  std::size_t length;
  char32_t cp;
  // The bounds of the byte after the lead, which rule out overlong forms,
  // surrogates and code points past U+10FFFF.
  unsigned char low = 0x80;
  unsigned char high = 0xBF;
  if (lead >= 0xC2 && lead <= 0xDF) {
    length = 1;
    cp = lead & 0x1F;
  } else if (lead >= 0xE0 && lead <= 0xEF) {
    length = 2;
    cp = lead & 0x0F;
    if (lead == 0xE0) low = 0xA0;
    if (lead == 0xED) high = 0x9F;
  } else if (lead >= 0xF0 && lead <= 0xF4) {
    length = 3;
    cp = lead & 0x07;
    if (lead == 0xF0) low = 0x90;
    if (lead == 0xF4) high = 0x8F;
  } else {
    return kInvalidUtf8;
  }
  for (std::size_t i = 0; i < length; ++i, ++at) {
    const unsigned char next = at < text.size() ? static_cast<unsigned char>(text[at]) : 0;
    if (next < (i == 0 ? low : 0x80) || next > (i == 0 ? high : 0xBF)) {
      at = start + 1;
      return kInvalidUtf8;
    }
    cp = (cp << 6) | (next & 0x3F);
  }
  return cp;
}

// True when text is well-formed UTF-8 throughout (ASCII is).
inline bool isValidUtf8(std::string_view text) {
  for (std::size_t at = 0; at < text.size();) {
    if (nextUtf8(text, at) == kInvalidUtf8) return false;
  }
  return true;
}

// Appends the UTF-8 form of one code point (up to U+10FFFF).
inline void appendUtf8(std::string& out, char32_t cp) {
  if (cp < 0x80) {
    out += static_cast<char>(cp);
  } else if (cp < 0x800) {
    out += static_cast<char>(0xC0 | (cp >> 6));
    out += static_cast<char>(0x80 | (cp & 0x3F));
  } else if (cp < 0x10000) {
    out += static_cast<char>(0xE0 | (cp >> 12));
    out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (cp & 0x3F));
  } else {
    out += static_cast<char>(0xF0 | (cp >> 18));
    out += static_cast<char>(0x80 | ((cp >> 12) & 0x3F));
    out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (cp & 0x3F));
  }
}

// The UTF-8 form of UTF-16 text; a surrogate without its partner becomes
// U+FFFD, as Windows' conversion makes it.
inline std::string utf16ToUtf8(std::u16string_view utf16) {
  std::string out;
  out.reserve(utf16.size());
  for (std::size_t i = 0; i < utf16.size(); ++i) {
    char32_t cp = utf16[i];
    const bool high = cp >= 0xD800 && cp <= 0xDBFF;
    if (high && i + 1 < utf16.size() && utf16[i + 1] >= 0xDC00 && utf16[i + 1] <= 0xDFFF) {
      cp = 0x10000 + ((cp - 0xD800) << 10) + (utf16[i + 1] - 0xDC00);
      ++i;
    } else if (cp >= 0xD800 && cp <= 0xDFFF) {
      cp = 0xFFFD;
    }
    appendUtf8(out, cp);
  }
  return out;
}
