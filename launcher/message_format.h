#pragma once

#include <cstddef>
#include <initializer_list>
#include <string>
#include <vector>

// Formats a message text looked up from a message file with the caller's
// arguments. A message file is data that anyone may edit, so a text is never
// handed to a printf-style function: its conversions are checked against the
// arguments the caller passes, and a text that does not fit them (a stray
// "%s", a "%n", a missing or extra conversion, a lone "%") is used as it
// stands, unformatted.
//
// Accepted conversions: "%%" anywhere; for a string argument "%s" with an
// optional "-" flag; for the integer argument "%d" or "%i" with optional
// flags "-", "+", " " and "0"; each with an optional decimal width and
// precision (up to 4096). No "*", no length modifiers, no other kinds.

// True when format has exactly stringCount string conversions and no other.
bool formatFitsStrings(const char* format, std::size_t stringCount);

// True when format has exactly one integer conversion and no other.
bool formatFitsOneInt(const char* format);

// Where an argument landed in a formatted text: bytes [begin, end).
struct TextSpan {
  std::size_t begin = 0;
  std::size_t end = 0;
};

// format with its string conversions filled from stringArgs in order (a null
// argument counts as an empty text), or format unchanged when it does not
// fit them. A null format gives an empty text. With argumentSpans, the spans
// of the arguments' bytes in the text, in order (none when format is used as
// it stands).
std::string formatMessage(const char* format, std::initializer_list<const char*> stringArgs,
                          std::vector<TextSpan>* argumentSpans = nullptr);

// format with its one integer conversion filled from value, or format
// unchanged when it does not fit one integer.
std::string formatMessage(const char* format, int value);
