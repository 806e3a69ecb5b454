#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

// Setup reads a response file byte by byte in the system's ANSI code page.
// Files written in the Unicode encodings that Windows tools default to read
// otherwise than they look: these routines recognise them and say, in plain
// ASCII, what setup makes of their text.

// How many bytes of a text's start recognizeUtf16 looks at.
constexpr std::size_t kEncodingHeadSize = 4;

enum class Utf16Form {
  kNone,
  kLittleEndianWithMark,
  kBigEndianWithMark,
  kLittleEndian,
  kBigEndian,
};

// Whether a text that begins with head (its first kEncodingHeadSize bytes, or
// all of a shorter text) is UTF-16: a byte-order mark, or, without one, a
// first character and a second (when the text has one) of which one byte is
// NUL and the other not, as every character of ASCII and Latin-1 is there. No
// response file in an ANSI code page holds a NUL byte at its start.
Utf16Form recognizeUtf16(std::string_view head);

// True when any byte of text is 0x80 or above; ASCII text has none. Fast, for
// telling whether a block of a file needs a closer look.
bool holdsNonAsciiByte(std::string_view text);

// True when text is valid UTF-8 throughout and holds at least one multi-byte
// sequence: text that a UTF-8 editor wrote with a character outside ASCII. A
// text in code page 1252 with such characters is almost never valid UTF-8
// ("\xFC" for u-umlaut is not).
bool holdsUtf8Sequences(std::string_view text);

// The characters of a valid UTF-8 text; empty when it is not valid.
std::u32string decodeUtf8(std::string_view text);

// The characters that setup sees in the bytes of text: each byte taken as a
// character of the system's ANSI code page.
std::u32string readInSystemCodePage(std::string_view text);

// Characters as ASCII words that read the same on any console: runs of
// printable ASCII quoted ('Z'), every other character as its code point and,
// where known, its Unicode name (U+00FC LATIN SMALL LETTER U WITH DIAERESIS),
// separated by ", ".
std::string describeCharacters(std::u32string_view characters);
