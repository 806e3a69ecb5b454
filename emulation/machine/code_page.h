#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "base/utf8.h"

// The emulated machine's ANSI code page is 1252 (Western European), the code
// page of an English or German Windows. Every text that crosses the platform
// interface is in it; the host's file names and the registry model are
// UTF-8. Characters that 1252 cannot hold become "?", as Windows' own
// best-fit conversion does for them.
namespace emulated {

std::string ansiToUtf8(std::string_view ansi);
// The byte of code page 1252 that holds cp; "?" when the code page has none.
char codePointToAnsi(char32_t cp);
std::string utf8ToAnsi(std::string_view utf8);

std::u16string utf8ToUtf16(std::string_view utf8);
using ::utf16ToUtf8;  // base/utf8.h
std::string utf16ToAnsi(std::u16string_view utf16);

using ::isValidUtf8;  // base/utf8.h

// The UTF-16 form of a text in a Windows code page: 1252 from the table
// above, 65001 as UTF-8, any other through the C library's iconv ("CP932",
// "CP1251", ...). A byte or sequence the code page does not define becomes
// U+FFFD. False (out untouched) for a code page iconv does not know.
bool codePageToUtf16(uint32_t codePage, std::string_view bytes, std::u16string* out);

// The UTF-16 form of a text in a character set iconv knows by that name
// ("CP932", "KOI8-R"): each byte the set does not hold, and each byte of a
// sequence cut off at the end, becomes U+FFFD. False (out untouched) for a
// set iconv does not know.
bool charsetToUtf16(const std::string& charset, std::string_view bytes, std::u16string* out);

// The key under which names compare: Windows compares registry keys, value
// names and file names without regard to case, and orders them by their
// upper-case form. Folds ASCII and the letters of code page 1252.
std::string foldName(std::string_view utf8);

// UTF-16 code units to little-endian bytes and back (the registry stores
// texts this way).
std::string utf16ToBytes(std::u16string_view utf16);
std::u16string bytesToUtf16(std::string_view bytes);

}  // namespace emulated
