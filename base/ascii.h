#pragma once

#include <cstddef>
#include <string_view>

// ASCII-only character classification and case folding. The system compares
// names, ids, option codes, paths and product codes ASCII case-insensitively,
// whatever locale the process runs in.
namespace ascii {

constexpr char toUpper(char c) { return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 32) : c; }
constexpr char toLower(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c + 32) : c; }
constexpr bool isDigit(char c) { return c >= '0' && c <= '9'; }
constexpr bool isAlpha(char c) { return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z'); }
constexpr bool isAlnum(char c) { return isAlpha(c) || isDigit(c); }
constexpr bool isXDigit(char c) {
  return isDigit(c) || (c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F');
}
// The white space of the C locale: space, \t, \n, \v, \f, \r.
constexpr bool isSpace(char c) { return c == ' ' || (c >= '\t' && c <= '\r'); }

inline bool equalsNoCase(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i) {
    if (toUpper(a[i]) != toUpper(b[i])) return false;
  }
  return true;
}

// True when text begins with prefix, letter case ignored.
inline bool startsWithNoCase(std::string_view text, std::string_view prefix) {
  return text.size() >= prefix.size() && equalsNoCase(text.substr(0, prefix.size()), prefix);
}

// Position of the first occurrence of pattern in text, letter case ignored,
// or npos.
inline std::size_t findNoCase(std::string_view text, std::string_view pattern) {
  if (pattern.size() > text.size()) return std::string_view::npos;
  for (std::size_t i = 0; i + pattern.size() <= text.size(); ++i) {
    if (equalsNoCase(text.substr(i, pattern.size()), pattern)) return i;
  }
  return std::string_view::npos;
}

}  // namespace ascii
