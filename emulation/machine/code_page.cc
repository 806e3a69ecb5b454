#include "emulation/machine/code_page.h"

#include <iconv.h>

#include <cerrno>
#include <cstdint>
#include <memory>

namespace emulated {
namespace {

// Code points of the bytes 0x80-0x9F of code page 1252. The five bytes that
// 1252 leaves undefined map to the C1 control of the same value, as Windows
// converts them.
constexpr char16_t kHighControls[32] = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};

char32_t ansiToCodePoint(unsigned char c) {
  if (c >= 0x80 && c < 0xA0) return kHighControls[c - 0x80];
  return c;
}

char32_t foldCodePoint(char32_t cp) {
  if (cp >= 'a' && cp <= 'z') return cp - 32;
  if (cp >= 0xE0 && cp <= 0xFE && cp != 0xF7) return cp - 32;
  switch (cp) {
    case 0xFF:
      return 0x178;
    case 0x161:
      return 0x160;
    case 0x153:
      return 0x152;
    case 0x17E:
      return 0x17D;
    default:
      return cp;
  }
}

// ASCII is the same text in code page 1252 and in UTF-8, and most names are
// ASCII: they are copied whole.
bool isAscii(std::string_view text) {
  unsigned char any = 0;
  for (char c : text) any |= static_cast<unsigned char>(c);
  return any < 0x80;
}

constexpr uint32_t kWesternCodePage = 1252;
constexpr uint32_t kUtf8CodePage = 65001;
constexpr char16_t kReplacement = 0xFFFD;

struct IconvCloser {
  void operator()(void* cd) const { iconv_close(static_cast<iconv_t>(cd)); }
};

}  // namespace

char codePointToAnsi(char32_t cp) {
  if (cp < 0x80 || (cp >= 0xA0 && cp <= 0xFF)) return static_cast<char>(cp);
  for (int i = 0; i < 32; ++i) {
    if (kHighControls[i] == cp) return static_cast<char>(0x80 + i);
  }
  return '?';
}

bool charsetToUtf16(const std::string& charset, std::string_view bytes, std::u16string* out) {
  iconv_t opened = iconv_open("UTF-16LE", charset.c_str());
  if (opened == reinterpret_cast<iconv_t>(-1)) return false;
  std::unique_ptr<void, IconvCloser> cd(opened);
  std::u16string result;
  std::string input(bytes);
  char* in = input.data();
  std::size_t inLeft = input.size();
  char16_t chunk[256];
  // The last round, without input, writes out what a stateful decoder
  // (1255's, which waits for combining marks) still holds.
  bool flushed = false;
  while (inLeft > 0 || !flushed) {
    char* outPtr = reinterpret_cast<char*>(chunk);
    std::size_t outLeft = sizeof chunk;
    flushed = inLeft == 0;
    const std::size_t rc = flushed ? iconv(opened, nullptr, nullptr, &outPtr, &outLeft)
                                   : iconv(opened, &in, &inLeft, &outPtr, &outLeft);
    const std::size_t units = (sizeof chunk - outLeft) / sizeof(char16_t);
    for (std::size_t i = 0; i < units; ++i) {
      // iconv writes little-endian bytes; read them as such on any host.
      const auto* b = reinterpret_cast<const unsigned char*>(chunk + i);
      result += static_cast<char16_t>(b[0] | (b[1] << 8));
    }
    if (rc != static_cast<std::size_t>(-1) || errno == E2BIG || flushed) continue;
    // EILSEQ: a byte the set does not hold; EINVAL: a sequence cut off at
    // the end (in a Windows code page, one lead byte).
    result += kReplacement;
    ++in;
    --inLeft;
  }
  *out = std::move(result);
  return true;
}

bool codePageToUtf16(uint32_t codePage, std::string_view bytes, std::u16string* out) {
  if (codePage == kWesternCodePage) {
    *out = utf8ToUtf16(ansiToUtf8(bytes));
    return true;
  }
  if (codePage == kUtf8CodePage) {
    *out = utf8ToUtf16(bytes);
    return true;
  }
  return charsetToUtf16("CP" + std::to_string(codePage), bytes, out);
}

std::string ansiToUtf8(std::string_view ansi) {
  if (isAscii(ansi)) return std::string(ansi);
  std::string out;
  out.reserve(ansi.size());
  for (char c : ansi) appendUtf8(out, ansiToCodePoint(static_cast<unsigned char>(c)));
  return out;
}

std::string utf8ToAnsi(std::string_view utf8) {
  if (isAscii(utf8)) return std::string(utf8);
  std::string out;
  out.reserve(utf8.size());
  for (std::size_t i = 0; i < utf8.size();) {
    const char32_t cp = nextUtf8(utf8, i);
    out += cp == kInvalidUtf8 ? '?' : codePointToAnsi(cp);
  }
  return out;
}

std::u16string utf8ToUtf16(std::string_view utf8) {
  std::u16string out;
  out.reserve(utf8.size());
  for (std::size_t i = 0; i < utf8.size();) {
    char32_t cp = nextUtf8(utf8, i);
    if (cp == kInvalidUtf8) cp = 0xFFFD;
    if (cp >= 0x10000) {
      cp -= 0x10000;
      out += static_cast<char16_t>(0xD800 + (cp >> 10));
      out += static_cast<char16_t>(0xDC00 + (cp & 0x3FF));
    } else {
      out += static_cast<char16_t>(cp);
    }
  }
  return out;
}

std::string utf16ToAnsi(std::u16string_view utf16) { return utf8ToAnsi(utf16ToUtf8(utf16)); }

std::string foldName(std::string_view utf8) {
  if (isAscii(utf8)) {
    std::string out(utf8);
    for (char& c : out) {
      if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 32);
    }
    return out;
  }
  std::string out;
  out.reserve(utf8.size());
  for (std::size_t i = 0; i < utf8.size();) {
    const std::size_t start = i;
    const char32_t cp = nextUtf8(utf8, i);
    if (cp == kInvalidUtf8) {
      out.append(utf8.substr(start, i - start));
    } else {
      appendUtf8(out, foldCodePoint(cp));
    }
  }
  return out;
}

std::string utf16ToBytes(std::u16string_view utf16) {
  std::string out;
  out.reserve(utf16.size() * 2);
  for (char16_t u : utf16) {
    out += static_cast<char>(u & 0xFF);
    out += static_cast<char>(u >> 8);
  }
  return out;
}

std::u16string bytesToUtf16(std::string_view bytes) {
  std::u16string out;
  out.reserve(bytes.size() / 2);
  for (std::size_t i = 0; i + 1 < bytes.size(); i += 2) {
    out += static_cast<char16_t>(static_cast<unsigned char>(bytes[i]) |
                                 (static_cast<unsigned char>(bytes[i + 1]) << 8));
  }
  return out;
}

}  // namespace emulated
