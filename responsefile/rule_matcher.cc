#include "responsefile/rule_matcher.h"

#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <new>
#include <string>
#include <string_view>

#include "base/ascii.h"
#include "base/fixed_text.h"
#include "platform/platform.h"
#include "responsefile/line_syntax.h"
#include "responsefile/response_file.h"

namespace {

// How trying one alternative of a rule ended. A rule that cannot be read
// accepts the value: the catalogue has rows whose rules were never
// readable, and they have always accepted anything.
enum class Outcome { kMatch, kNoMatch, kUnreadable };

// Lists inside lists beyond this depth are treated as unreadable rules.
constexpr int kMaxListDepth = 32;
// Literal characters after a wild card that take part in the search.
constexpr std::size_t kMaxWildcardLiteral = 255;

bool isBlank(char c) { return c == ' ' || c == '\t'; }

void skipBlanks(const char*& p) {
  while (isBlank(*p)) ++p;
}

void skipWhiteSpace(const char*& p) {
  while (*p != '\0' && ascii::isSpace(*p)) ++p;
}

bool fitsInt32(long long value) { return value >= INT32_MIN && value <= INT32_MAX; }

// A bound of I( or F(: a floating-point number.
bool readRealBound(const char*& p, double& out) {
  char* end = nullptr;
  errno = 0;
  out = std::strtod(p, &end);
  if (end == p || errno == ERANGE) return false;
  p = end;
  return true;
}

// A bound of R(, S( or L(: a 32-bit integer in the given base (0: a leading
// 0x means hexadecimal, a leading 0 octal).
bool readIntegerBound(const char*& p, int base, long long& out) {
  char* end = nullptr;
  errno = 0;
  out = std::strtoll(p, &end, base);
  if (end == p || errno == ERANGE || !fitsInt32(out)) return false;
  p = end;
  return true;
}

// A whole decimal 32-bit integer at the start of text; false when there are
// no digits or the number does not fit.
bool readValueInteger(const char* text, const char*& end, long long& out) {
  char* stop = nullptr;
  errno = 0;
  out = std::strtoll(text, &stop, 10);
  end = stop;
  return stop != text && errno != ERANGE && fitsInt32(out);
}

// The body of a single-quoted set, p just after the opening quote; a quote
// inside is written twice. The set is a view of the rule unless it holds such
// a doubled quote, which is undone in storage. False when the closing quote
// is missing.
bool readQuoted(const char*& p, std::string_view& set, std::string& storage) {
  const char* start = p;
  bool doubled = false;
  for (;; ++p) {
    if (*p == '\0') return false;
    if (*p != '\'') continue;
    if (p[1] != '\'') break;
    doubled = true;
    ++p;
  }
  set = std::string_view(start, p - start);
  ++p;
  if (doubled) {
    storage.clear();
    for (std::size_t i = 0; i < set.size(); ++i) {
      storage.push_back(set[i]);
      if (set[i] == '\'') ++i;
    }
    set = storage;
  }
  return true;
}

// A character set of the string form: '!' first makes it a set of forbidden
// characters.
bool allowedBySet(std::string_view set, char c) {
  if (!set.empty() && set[0] == '!') return set.find(c, 1) == std::string_view::npos;
  return set.find(c) != std::string_view::npos;
}

bool inSeparators(std::string_view separators, char c) {
  return c != '\0' && separators.find(c) != std::string_view::npos;
}

bool canOpenForReading(const char* path) {
  std::FILE* file = platform::openFile(path, "r");
  if (file == nullptr) return false;
  std::fclose(file);
  return true;
}

Outcome matchText(ResponseFileEntry* entry, const char* value, const char* rule, int depth);

// I(min,max) and F(min,max).
Outcome tryRange(const char*& p, const char* value, bool integer) {
  double low = 0;
  double high = 0;
  if (!readRealBound(p, low)) return Outcome::kUnreadable;
  skipBlanks(p);
  if (*p != ',') return Outcome::kUnreadable;
  ++p;
  if (!readRealBound(p, high)) return Outcome::kUnreadable;
  skipBlanks(p);
  if (*p != ')') return Outcome::kUnreadable;
  ++p;

  double number = 0;
  const char* end = nullptr;
  if (integer) {
    long long whole = 0;
    if (!readValueInteger(value, end, whole)) return Outcome::kNoMatch;
    number = static_cast<double>(whole);
  } else {
    char* stop = nullptr;
    errno = 0;
    number = std::strtod(value, &stop);
    end = stop;
    if (stop == value || errno == ERANGE) return Outcome::kNoMatch;
  }
  if (*end != '\0') return Outcome::kNoMatch;
  return low <= number && number <= high ? Outcome::kMatch : Outcome::kNoMatch;
}

// R(min,max,'separators'): two integers joined by a separator.
Outcome tryPair(const char*& p, const char* value) {
  long long low = 0;
  long long high = 0;
  if (!readIntegerBound(p, 10, low)) return Outcome::kUnreadable;
  skipBlanks(p);
  if (*p != ',') return Outcome::kUnreadable;
  ++p;
  if (!readIntegerBound(p, 10, high)) return Outcome::kUnreadable;
  skipBlanks(p);
  if (*p != ',') return Outcome::kUnreadable;
  ++p;
  // Whatever follows the comma is taken as the opening quote.
  if (*p == '\0') return Outcome::kUnreadable;
  ++p;
  std::string_view separators;
  std::string storage;
  if (!readQuoted(p, separators, storage)) return Outcome::kUnreadable;
  skipBlanks(p);
  if (*p != ')') return Outcome::kUnreadable;
  ++p;

  long long first = 0;
  const char* v = nullptr;
  if (!readValueInteger(value, v, first)) return Outcome::kNoMatch;
  if (first < low || first > high || *v == '\0') return Outcome::kNoMatch;
  const char* afterFirst = v;
  skipBlanks(v);
  if (separators.empty()) {
    if (v == afterFirst) return Outcome::kNoMatch;
  } else {
    if (!inSeparators(separators, *v)) return Outcome::kNoMatch;
    ++v;
    skipBlanks(v);
  }
  long long second = 0;
  const char* end = nullptr;
  if (!readValueInteger(v, end, second) || *end != '\0') return Outcome::kNoMatch;
  return second >= low && second <= high && first <= second ? Outcome::kMatch : Outcome::kNoMatch;
}

// S(min[,max[,'set'[,'first-set']]]).
Outcome tryString(const char*& p, const char* value) {
  long long low = 0;
  long long high = INT32_MAX;
  std::string_view set;
  std::string_view firstSet;
  std::string setStorage;
  std::string firstSetStorage;
  if (!readIntegerBound(p, 0, low)) return Outcome::kUnreadable;
  skipBlanks(p);
  if (*p == ',') {
    ++p;
    if (!readIntegerBound(p, 0, high)) return Outcome::kUnreadable;
    skipBlanks(p);
    if (*p == ',') {
      ++p;
      if (*p != '\'') return Outcome::kUnreadable;
      ++p;
      if (!readQuoted(p, set, setStorage)) return Outcome::kUnreadable;
      skipBlanks(p);
      if (*p == ',') {
        ++p;
        if (*p != '\'') return Outcome::kUnreadable;
        ++p;
        if (!readQuoted(p, firstSet, firstSetStorage)) return Outcome::kUnreadable;
        skipBlanks(p);
      }
    }
  }
  if (*p != ')') return Outcome::kUnreadable;
  ++p;

  long long length = static_cast<long long>(std::strlen(value));
  if (length < low || length > high) return Outcome::kNoMatch;
  if (length == 0) return Outcome::kMatch;
  std::string_view firstCharacters = firstSet.empty() ? set : firstSet;
  if (!firstCharacters.empty() && !allowedBySet(firstCharacters, value[0])) {
    return Outcome::kNoMatch;
  }
  if (!set.empty()) {
    for (const char* c = value + 1; *c != '\0'; ++c) {
      if (!allowedBySet(set, *c)) return Outcome::kNoMatch;
    }
  }
  return Outcome::kMatch;
}

// L(min,max,'separators',item-rule).
Outcome tryList(ResponseFileEntry* entry, const char*& p, const char* value, int depth) {
  long long low = 0;
  long long high = 0;
  std::string_view separators;
  std::string storage;
  if (!readIntegerBound(p, 0, low)) return Outcome::kUnreadable;
  skipBlanks(p);
  if (*p != ',') return Outcome::kUnreadable;
  ++p;
  if (!readIntegerBound(p, 0, high)) return Outcome::kUnreadable;
  skipBlanks(p);
  if (*p != ',') return Outcome::kUnreadable;
  ++p;
  if (*p != '\'') return Outcome::kUnreadable;
  ++p;
  if (!readQuoted(p, separators, storage) || separators.empty()) return Outcome::kUnreadable;
  skipBlanks(p);
  if (*p != ',') return Outcome::kUnreadable;
  ++p;
  skipBlanks(p);
  // The item rule runs to the parenthesis that closes the list; quoted text
  // does not count.
  const char* itemStart = p;
  int open = 1;
  bool quoted = false;
  for (; *p != '\0'; ++p) {
    if (*p == '\'') {
      quoted = !quoted;
    } else if (!quoted && *p == '(') {
      ++open;
    } else if (!quoted && *p == ')' && --open == 0) {
      break;
    }
  }
  if (*p == '\0' || p == itemStart) return Outcome::kUnreadable;
  std::string itemRule(itemStart, p);
  ++p;
  if (depth >= kMaxListDepth) return Outcome::kUnreadable;

  const char* v = value;
  skipBlanks(v);
  long long count = 0;
  std::string item;
  while (*v != '\0') {
    if (count > high) return Outcome::kNoMatch;
    if (inSeparators(separators, *v)) {
      ++v;
      continue;
    }
    const char* start = v;
    while (*v != '\0' && !inSeparators(separators, *v)) ++v;
    const char* end = v;
    while (end > start && isBlank(end[-1])) --end;
    if (end > start) {
      ++count;
      item.assign(start, end);
      // An item rule that cannot be read accepts the whole value, not just the item.
      Outcome itemOutcome = matchText(entry, item.c_str(), itemRule.c_str(), depth + 1);
      if (itemOutcome != Outcome::kMatch) return itemOutcome;
    }
    if (*v != '\0') ++v;
    skipBlanks(v);
  }
  return count >= low && count <= high ? Outcome::kMatch : Outcome::kNoMatch;
}

// P(): the name of a file that can be opened; a relative name is looked up
// beside the response file and replaced by the full path.
Outcome tryPath(ResponseFileEntry* entry, const char*& p, const char* value) {
  p += 3;
  bool driveRooted = ascii::isAlpha(value[0]) && value[1] == ':' && value[2] == '\\';
  bool network = value[0] == '\\' && value[1] == '\\';
  if (driveRooted || network) {
    return canOpenForReading(value) ? Outcome::kMatch : Outcome::kNoMatch;
  }
  if (value[0] == '\\' || (ascii::isAlpha(value[0]) && value[1] == ':')) return Outcome::kNoMatch;

  PathText path;
  if (entry != nullptr && entry->owner() != nullptr) {
    std::string_view fileName = entry->owner()->fileName();
    std::size_t slash = fileName.rfind('\\');
    if (slash != std::string_view::npos) path.assign(fileName.substr(0, slash + 1));
  }
  if (!path.append(value) || !canOpenForReading(path.c_str())) return Outcome::kNoMatch;
  if (entry != nullptr) entry->setRawValue(trimWhiteSpace(path.view()));
  return Outcome::kMatch;
}

// A word: letters compared case-insensitively, '*' a wild card, "**" a star.
Outcome tryWord(const char*& p, const char* value) {
  const char* r = p;
  const char* wordEnd = p;
  while (*wordEnd != '\0' && !ascii::isSpace(*wordEnd)) ++wordEnd;
  p = wordEnd;

  const char* v = value;
  while (r < wordEnd) {
    if (*r == '*' && r + 1 < wordEnd && r[1] == '*') {
      if (*v != '*') return Outcome::kNoMatch;
      ++v;
      r += 2;
      continue;
    }
    if (*r == '*') {
      ++r;
      std::string literal;
      while (r < wordEnd && literal.size() < kMaxWildcardLiteral) {
        if (*r == '*') {
          if (r + 1 < wordEnd && r[1] == '*') {
            literal.push_back('*');
            r += 2;
            continue;
          }
          break;
        }
        literal.push_back(*r++);
      }
      if (literal.empty()) return Outcome::kMatch;  // the star ends the word
      // Only the first occurrence is tried.
      std::size_t at = ascii::findNoCase(v, literal);
      if (at == std::string_view::npos) return Outcome::kNoMatch;
      v += at + literal.size();
      continue;
    }
    if (*v == '\0' || ascii::toUpper(*r) != ascii::toUpper(*v)) return Outcome::kNoMatch;
    ++r;
    ++v;
  }
  return *v == '\0' ? Outcome::kMatch : Outcome::kNoMatch;
}

Outcome tryAlternative(ResponseFileEntry* entry, const char*& p, const char* value, int depth) {
  char form = ascii::toUpper(p[0]);
  if (p[1] == '(') {
    const char* body = p + 2;
    Outcome outcome = Outcome::kNoMatch;
    switch (form) {
      case 'I':
        outcome = tryRange(body, value, true);
        break;
      case 'F':
        outcome = tryRange(body, value, false);
        break;
      case 'R':
        outcome = tryPair(body, value);
        break;
      case 'S':
        outcome = tryString(body, value);
        break;
      case 'L':
        outcome = tryList(entry, body, value, depth);
        break;
      case 'P':
        if (p[2] == ')') return tryPath(entry, p, value);
        return tryWord(p, value);
      default:
        return tryWord(p, value);
    }
    p = body;
    return outcome;
  }
  return tryWord(p, value);
}

Outcome matchText(ResponseFileEntry* entry, const char* value, const char* rule, int depth) {
  if (rule == nullptr || value == nullptr) return Outcome::kMatch;
  const char* p = rule;
  skipWhiteSpace(p);
  while (*p != '\0') {
    Outcome outcome = tryAlternative(entry, p, value, depth);
    if (outcome != Outcome::kNoMatch) return outcome;
    skipWhiteSpace(p);
  }
  return Outcome::kNoMatch;
}

}  // namespace

bool matchRule(ResponseFileEntry* entry, const char* value, const char* ruleText) {
  try {
    // A path item of a list replaces the entry's value while the rest of the
    // list is still being read from it: match a copy of the entry's own text.
    std::string ownValue;
    if (entry != nullptr && value != nullptr && value == entry->rawValue()) {
      ownValue = value;
      value = ownValue.c_str();
    }
    return matchText(entry, value, ruleText, 0) != Outcome::kNoMatch;
  } catch (const std::bad_alloc&) {
    return true;  // a rule that cannot be followed for want of memory accepts
  }
}
