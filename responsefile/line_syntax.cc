#include "responsefile/line_syntax.h"

#include <cstddef>

#include "base/ascii.h"

namespace {

// What a character means to the line syntax, looked up in one step.
enum class CharKind : unsigned char { kOrdinary, kWhiteSpace, kEquals, kCommentMark };

struct CharKinds {
  CharKind kind[256] = {};
  constexpr CharKinds() {
    for (int c = 0; c < 256; ++c) {
      if (ascii::isSpace(static_cast<char>(c))) kind[c] = CharKind::kWhiteSpace;
    }
    kind[static_cast<unsigned char>('=')] = CharKind::kEquals;
    kind[static_cast<unsigned char>('*')] = CharKind::kCommentMark;
    kind[static_cast<unsigned char>('#')] = CharKind::kCommentMark;
  }
};

constexpr CharKinds kCharKinds;

CharKind kindOf(char c) { return kCharKinds.kind[static_cast<unsigned char>(c)]; }

}  // namespace

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
  auto startsComment = [&line](std::size_t i) {
    // A doubled star or hash starts a trailing comment, even inside a value.
    return i + 1 < line.size() && line[i + 1] == line[i];
  };
  std::size_t i = start;
  for (; i < line.size(); ++i) {
    char c = line[i];
    switch (kindOf(c)) {
      case CharKind::kOrdinary:
        blankRun = kNone;
        continue;
      case CharKind::kWhiteSpace:
        if (blankRun == kNone) blankRun = i;
        continue;
      case CharKind::kCommentMark:
        if (startsComment(i)) {
          end = i;
          break;
        }
        blankRun = kNone;
        continue;
      case CharKind::kEquals:
        keywordEnd = blankRun != kNone ? blankRun : i;
        valueStart = i + 1;
        break;
    }
    break;
  }
  // After the '=' only a trailing comment matters.
  if (valueStart != kNone) {
    for (i = valueStart; i < line.size(); ++i) {
      if (kindOf(line[i]) == CharKind::kCommentMark && startsComment(i)) {
        end = i;
        break;
      }
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
