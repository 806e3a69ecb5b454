#include "responsefile/line_syntax.h"

#include <cstddef>

#include "base/ascii.h"

std::string_view trimWhiteSpace(std::string_view text) {
  std::size_t begin = 0;
  std::size_t end = text.size();
  while (begin < end && ascii::isSpace(text[begin])) ++begin;
  while (end > begin && ascii::isSpace(text[end - 1])) --end;
  return text.substr(begin, end - begin);
}

KeywordLine splitKeywordLine(std::string_view line) {
  constexpr std::size_t kNone = std::string_view::npos;
  KeywordLine result;
  std::size_t start = 0;
  while (start < line.size() && ascii::isSpace(line[start])) ++start;
  if (start == line.size() || line[start] == '*' || line[start] == '#') return result;
  result.isComment = false;

  std::size_t blankRun = kNone;  // where the white space before '=' began
  std::size_t keywordEnd = kNone;
  std::size_t valueStart = kNone;
  std::size_t end = line.size();
  for (std::size_t i = start; i < line.size(); ++i) {
    char c = line[i];
    // A doubled star or hash starts a trailing comment, even inside a value.
    if ((c == '*' || c == '#') && i + 1 < line.size() && line[i + 1] == c) {
      end = i;
      break;
    }
    if (keywordEnd != kNone) continue;
    if (ascii::isSpace(c)) {
      if (blankRun == kNone) blankRun = i;
    } else if (c == '=') {
      keywordEnd = blankRun != kNone ? blankRun : i;
      valueStart = i + 1;
    } else {
      blankRun = kNone;
    }
  }
  if (keywordEnd == kNone) keywordEnd = blankRun != kNone ? blankRun : end;
  result.keyword = line.substr(start, keywordEnd - start);
  if (valueStart != kNone) {
    result.hasEquals = true;
    result.value = trimWhiteSpace(line.substr(valueStart, end - valueStart));
  }
  return result;
}
