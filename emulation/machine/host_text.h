#pragma once

#include <string>
#include <string_view>

// Texts that come from the host, such as the arguments typed in a host shell,
// in the machine's ANSI code page (1252), converted as Windows converts
// Unicode to it.
namespace emulated {

// A UTF-8 text as Windows' own conversion to the ANSI code page makes it
// (WideCharToMultiByte with CP_ACP and no flags, as the system does for the
// command line of an ANSI program): a character 1252 lacks becomes its best
// fit where Windows has one ("Ł" is "L", "∞" is "8", a fullwidth letter its
// ASCII letter), else "?". A malformed UTF-8 sequence is one "?" a byte.
std::string utf8ToAnsiBestFit(std::string_view utf8);

// The host's character set: the codeset of the locale that LC_ALL, LC_CTYPE
// or LANG name (its name's part after the dot when the locale is not
// installed), UTF-8 for the C and POSIX locales, whose codeset is ASCII.
std::string hostCharacterSet();

// A text in the host's character set in the ANSI code page, converted as
// utf8ToAnsiBestFit does; a byte the character set does not hold is "?".
std::string hostTextToAnsi(std::string_view text);

}  // namespace emulated
