#include "responsefile/line_syntax.h"

#include <cstddef>
#include <cstring>

#include "base/ascii.h"

namespace {

// White space that ends text is not part of it.
std::string_view withoutTrailingWhiteSpace(std::string_view text) {
  std::size_t end = text.size();
  while (end > 0 && ascii::isSpace(text[end - 1])) --end;
  return text.substr(0, end);
}

// Where the first "**" or "##" at or after from begins; the line's size when
// there is none.
std::size_t trailingCommentAt(std::string_view line, std::size_t from) {
  const char* text = line.data();
  const std::size_t size = line.size();
  // Lines seldom hold a star or a hash: each is looked for in one sweep.
  for (std::size_t i = from; i < size;) {
    const void* star = std::memchr(text + i, '*', size - i);
    const std::size_t starAt = star ? static_cast<const char*>(star) - text : size;
    const void* hash = std::memchr(text + i, '#', starAt - i);
    const std::size_t at = hash ? static_cast<const char*>(hash) - text : starAt;
    if (at == size) break;
    if (at + 1 < size && text[at + 1] == text[at]) return at;
    i = at + 1;
  }
  return size;
}

}  // namespace

std::string_view trimWhiteSpace(std::string_view text) {
  std::size_t begin = 0;
  std::size_t end = text.size();
  while (begin < end && ascii::isSpace(text[begin])) ++begin;
  while (end > begin && ascii::isSpace(text[end - 1])) --end;
  return text.substr(begin, end - begin);
}

KeywordLine splitKeywordLine(std::string_view line) {
  KeywordLine result;
  std::size_t start = 0;
  while (start < line.size() && ascii::isSpace(line[start])) ++start;
  if (start == line.size() || line[start] == '*' || line[start] == '#') return result;
  result.isComment = false;

  // A doubled star or hash starts a trailing comment, even inside a value;
  // the first '=' before it ends the keyword, and white space just before
  // that '=' (or before the comment, without one) is not part of it.
  const std::size_t end = trailingCommentAt(line, start);
  const std::string_view text = line.substr(start, end - start);
  const std::size_t equals = text.find('=');
  result.keyword = withoutTrailingWhiteSpace(text.substr(0, equals));
  if (equals != std::string_view::npos) {
    result.hasEquals = true;
    result.value = trimWhiteSpace(text.substr(equals + 1));
  }
  return result;
}
