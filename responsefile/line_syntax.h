#pragma once

#include <string_view>

// One line of a response file split into keyword and value.
struct KeywordLine {
  bool isComment = true;     // empty, or its first non-blank character is '*' or '#'
  std::string_view keyword;  // white space inside kept, white space around it dropped
  bool hasEquals = false;
  std::string_view value;  // after the first '=', trimmed; empty when there is none
};

// Splits a line: leading white space is skipped; the first '=' ends the
// keyword; "**" or "##" anywhere starts a trailing comment, while a single
// '*' or '#' is ordinary text.
KeywordLine splitKeywordLine(std::string_view line);

// The text without leading and trailing white space.
std::string_view trimWhiteSpace(std::string_view text);
