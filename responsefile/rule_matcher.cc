#include "responsefile/rule_matcher.h"

#include <bitset>
#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <new>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "base/ascii.h"
#include "base/fixed_text.h"
#include "platform/platform.h"
#include "responsefile/line_syntax.h"
#include "responsefile/response_file.h"

// A rule is read into its alternatives before any value is looked at: what
// a rule's text says does not depend on the value, so a rule of the catalogue
// is read once and then matched against any number of values.
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
// inside is written twice and stands for one. False when the closing quote
// is missing.
bool readQuoted(const char*& p, std::string& set) {
  const char* start = p;
  bool doubled = false;
  for (;; ++p) {
    if (*p == '\0') return false;
    if (*p != '\'') continue;
    if (p[1] != '\'') break;
    doubled = true;
    ++p;
  }
  std::string_view written(start, p - start);
  ++p;
  set.clear();
  for (std::size_t i = 0; i < written.size(); ++i) {
    set.push_back(written[i]);
    if (doubled && written[i] == '\'') ++i;
  }
  return true;
}

// A character set of the string form: '!' first makes it a set of forbidden
// characters. Held as one bit per character.
class CharacterSet {
 public:
  void assign(std::string_view set) {
    empty_ = set.empty();
    bool forbidden = !set.empty() && set[0] == '!';
    if (forbidden) set.remove_prefix(1);
    listed_.reset();
    for (char c : set) listed_.set(static_cast<unsigned char>(c));
    forbidden_ = forbidden;
  }
  bool empty() const { return empty_; }
  bool allows(char c) const { return listed_.test(static_cast<unsigned char>(c)) != forbidden_; }

 private:
  std::bitset<256> listed_;
  bool forbidden_ = false;
  bool empty_ = true;
};

bool inSeparators(std::string_view separators, char c) {
  return c != '\0' && separators.find(c) != std::string_view::npos;
}

bool canOpenForReading(const char* path) {
  std::FILE* file = platform::openFile(path, "r");
  if (file == nullptr) return false;
  std::fclose(file);
  return true;
}

struct ReadRule;

// One alternative of a rule as read from its text.
struct Alternative {
  enum class Form { kInteger, kReal, kPair, kString, kList, kPath, kWord, kUnreadable };
  Form form = Form::kUnreadable;
  double low = 0;  // I( and F(
  double high = 0;
  long long lowInteger = 0;  // R(, S( and L(
  long long highInteger = 0;
  std::string separators;                 // R( and L(
  CharacterSet characters;                // S(: every character
  CharacterSet firstCharacters;           // S(: the first character
  std::shared_ptr<const ReadRule> items;  // L(
  std::string_view word;                  // a word, as the rule's text has it
};

// A rule's alternatives in order; reading stops at an alternative that cannot
// be read, since matching never gets past it.
struct ReadRule {
  std::string text;  // the item rule of a list, which the words point into
  std::vector<Alternative> alternatives;
};

std::shared_ptr<const ReadRule> readRule(std::string text, const char* rule, int depth);

// I(min,max) and F(min,max).
bool readRange(const char*& p, Alternative& alternative) {
  if (!readRealBound(p, alternative.low)) return false;
  skipBlanks(p);
  if (*p != ',') return false;
  ++p;
  if (!readRealBound(p, alternative.high)) return false;
  skipBlanks(p);
  if (*p != ')') return false;
  ++p;
  return true;
}

// R(min,max,'separators').
bool readPair(const char*& p, Alternative& alternative) {
  if (!readIntegerBound(p, 10, alternative.lowInteger)) return false;
  skipBlanks(p);
  if (*p != ',') return false;
  ++p;
  if (!readIntegerBound(p, 10, alternative.highInteger)) return false;
  skipBlanks(p);
  if (*p != ',') return false;
  ++p;
  // Whatever follows the comma is taken as the opening quote.
  if (*p == '\0') return false;
  ++p;
  if (!readQuoted(p, alternative.separators)) return false;
  skipBlanks(p);
  if (*p != ')') return false;
  ++p;
  return true;
}

// S(min[,max[,'set'[,'first-set']]]).
bool readString(const char*& p, Alternative& alternative) {
  alternative.highInteger = INT32_MAX;
  std::string set;
  std::string firstSet;
  if (!readIntegerBound(p, 0, alternative.lowInteger)) return false;
  skipBlanks(p);
  if (*p == ',') {
    ++p;
    if (!readIntegerBound(p, 0, alternative.highInteger)) return false;
    skipBlanks(p);
    if (*p == ',') {
      ++p;
      if (*p != '\'') return false;
      ++p;
      if (!readQuoted(p, set)) return false;
      skipBlanks(p);
      if (*p == ',') {
        ++p;
        if (*p != '\'') return false;
        ++p;
        if (!readQuoted(p, firstSet)) return false;
        skipBlanks(p);
      }
    }
  }
  if (*p != ')') return false;
  ++p;
  alternative.characters.assign(set);
  alternative.firstCharacters.assign(firstSet.empty() ? set : firstSet);
  return true;
}

// L(min,max,'separators',item-rule).
bool readList(const char*& p, Alternative& alternative, int depth) {
  if (!readIntegerBound(p, 0, alternative.lowInteger)) return false;
  skipBlanks(p);
  if (*p != ',') return false;
  ++p;
  if (!readIntegerBound(p, 0, alternative.highInteger)) return false;
  skipBlanks(p);
  if (*p != ',') return false;
  ++p;
  if (*p != '\'') return false;
  ++p;
  if (!readQuoted(p, alternative.separators) || alternative.separators.empty()) return false;
  skipBlanks(p);
  if (*p != ',') return false;
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
  if (*p == '\0' || p == itemStart) return false;
  std::string itemRule(itemStart, p);
  ++p;
  if (depth >= kMaxListDepth) return false;
  alternative.items = readRule(std::move(itemRule), nullptr, depth + 1);
  return true;
}

// The word at p, up to the next white space.
void readWord(const char*& p, Alternative& alternative) {
  const char* wordEnd = p;
  while (*wordEnd != '\0' && !ascii::isSpace(*wordEnd)) ++wordEnd;
  alternative.form = Alternative::Form::kWord;
  alternative.word = std::string_view(p, wordEnd - p);
  p = wordEnd;
}

// The alternative at p; p moves past it.
Alternative readAlternative(const char*& p, int depth) {
  Alternative alternative;
  char form = ascii::toUpper(p[0]);
  if (p[1] != '(' || (form == 'P' && p[2] != ')')) {
    readWord(p, alternative);
    return alternative;
  }
  const char* body = p + 2;
  bool readable = true;
  switch (form) {
    case 'I':
      alternative.form = Alternative::Form::kInteger;
      readable = readRange(body, alternative);
      break;
    case 'F':
      alternative.form = Alternative::Form::kReal;
      readable = readRange(body, alternative);
      break;
    case 'R':
      alternative.form = Alternative::Form::kPair;
      readable = readPair(body, alternative);
      break;
    case 'S':
      alternative.form = Alternative::Form::kString;
      readable = readString(body, alternative);
      break;
    case 'L':
      alternative.form = Alternative::Form::kList;
      readable = readList(body, alternative, depth);
      break;
    case 'P':
      alternative.form = Alternative::Form::kPath;
      body = p + 3;
      break;
    default:
      readWord(p, alternative);
      return alternative;
  }
  if (!readable) alternative.form = Alternative::Form::kUnreadable;
  p = body;
  return alternative;
}

// Reads rule, or text when rule is null (text is then kept with the rule,
// whose words point into it).
std::shared_ptr<const ReadRule> readRule(std::string text, const char* rule, int depth) {
  auto read = std::make_shared<ReadRule>();
  read->text = std::move(text);
  const char* p = rule != nullptr ? rule : read->text.c_str();
  skipWhiteSpace(p);
  while (*p != '\0') {
    read->alternatives.push_back(readAlternative(p, depth));
    if (read->alternatives.back().form == Alternative::Form::kUnreadable) break;
    skipWhiteSpace(p);
  }
  return read;
}

Outcome matchRead(ResponseFileEntry* entry, const char* value, const ReadRule& rule);

Outcome matchRange(const Alternative& range, const char* value) {
  double number = 0;
  const char* end = nullptr;
  if (range.form == Alternative::Form::kInteger) {
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
  return range.low <= number && number <= range.high ? Outcome::kMatch : Outcome::kNoMatch;
}

// Two integers joined by a separator.
Outcome matchPair(const Alternative& pair, const char* value) {
  long long first = 0;
  const char* v = nullptr;
  if (!readValueInteger(value, v, first)) return Outcome::kNoMatch;
  if (first < pair.lowInteger || first > pair.highInteger || *v == '\0') return Outcome::kNoMatch;
  const char* afterFirst = v;
  skipBlanks(v);
  if (pair.separators.empty()) {
    if (v == afterFirst) return Outcome::kNoMatch;
  } else {
    if (!inSeparators(pair.separators, *v)) return Outcome::kNoMatch;
    ++v;
    skipBlanks(v);
  }
  long long second = 0;
  const char* end = nullptr;
  if (!readValueInteger(v, end, second) || *end != '\0') return Outcome::kNoMatch;
  return second >= pair.lowInteger && second <= pair.highInteger && first <= second
             ? Outcome::kMatch
             : Outcome::kNoMatch;
}

Outcome matchString(const Alternative& string, const char* value) {
  long long length = static_cast<long long>(std::strlen(value));
  if (length < string.lowInteger || length > string.highInteger) return Outcome::kNoMatch;
  if (length == 0) return Outcome::kMatch;
  if (!string.firstCharacters.empty() && !string.firstCharacters.allows(value[0])) {
    return Outcome::kNoMatch;
  }
  if (!string.characters.empty()) {
    for (const char* c = value + 1; *c != '\0'; ++c) {
      if (!string.characters.allows(*c)) return Outcome::kNoMatch;
    }
  }
  return Outcome::kMatch;
}

// Items between separators, each matched against the item rule.
Outcome matchList(ResponseFileEntry* entry, const Alternative& list, const char* value) {
  const char* v = value;
  skipBlanks(v);
  long long count = 0;
  std::string item;
  while (*v != '\0') {
    if (count > list.highInteger) return Outcome::kNoMatch;
    if (inSeparators(list.separators, *v)) {
      ++v;
      continue;
    }
    const char* start = v;
    while (*v != '\0' && !inSeparators(list.separators, *v)) ++v;
    const char* end = v;
    while (end > start && isBlank(end[-1])) --end;
    if (end > start) {
      ++count;
      item.assign(start, end);
      // An item rule that cannot be read accepts the whole value, not just the item.
      Outcome itemOutcome = matchRead(entry, item.c_str(), *list.items);
      if (itemOutcome != Outcome::kMatch) return itemOutcome;
    }
    if (*v != '\0') ++v;
    skipBlanks(v);
  }
  return count >= list.lowInteger && count <= list.highInteger ? Outcome::kMatch
                                                               : Outcome::kNoMatch;
}

// P(): the name of a file that can be opened; a relative name is looked up
// beside the response file and replaced by the full path.
Outcome matchPath(ResponseFileEntry* entry, const char* value) {
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
Outcome matchWord(std::string_view word, const char* value) {
  const char* r = word.data();
  const char* wordEnd = r + word.size();
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

Outcome matchAlternative(ResponseFileEntry* entry, const Alternative& alternative,
                         const char* value) {
  switch (alternative.form) {
    case Alternative::Form::kInteger:
    case Alternative::Form::kReal:
      return matchRange(alternative, value);
    case Alternative::Form::kPair:
      return matchPair(alternative, value);
    case Alternative::Form::kString:
      return matchString(alternative, value);
    case Alternative::Form::kList:
      return matchList(entry, alternative, value);
    case Alternative::Form::kPath:
      return matchPath(entry, value);
    case Alternative::Form::kWord:
      return matchWord(alternative.word, value);
    case Alternative::Form::kUnreadable:
      return Outcome::kUnreadable;
  }
  return Outcome::kUnreadable;
}

Outcome matchRead(ResponseFileEntry* entry, const char* value, const ReadRule& rule) {
  for (const Alternative& alternative : rule.alternatives) {
    Outcome outcome = matchAlternative(entry, alternative, value);
    if (outcome != Outcome::kNoMatch) return outcome;
  }
  return Outcome::kNoMatch;
}

// A path item of a list may replace the entry's value while the rest of the
// list is still read from it; the text it replaces stays where it is, since
// an entry's texts live as long as the entry.
bool matches(ResponseFileEntry* entry, const char* value, const ReadRule& rule) {
  return matchRead(entry, value, rule) != Outcome::kNoMatch;
}

}  // namespace

bool matchRule(ResponseFileEntry* entry, const char* value, const char* ruleText) {
  if (ruleText == nullptr || value == nullptr) return true;
  try {
    return matches(entry, value, *readRule(std::string(), ruleText, 0));
  } catch (const std::bad_alloc&) {
    return true;  // a rule that cannot be followed for want of memory accepts
  }
}

bool matchFixedRule(ResponseFileEntry* entry, const char* value, const char* ruleText) {
  if (ruleText == nullptr || value == nullptr) return true;
  try {
    thread_local std::unordered_map<const char*, std::shared_ptr<const ReadRule>> readRules;
    auto found = readRules.find(ruleText);
    if (found == readRules.end()) {
      found = readRules.emplace(ruleText, readRule(std::string(), ruleText, 0)).first;
    }
    return matches(entry, value, *found->second);
  } catch (const std::bad_alloc&) {
    return true;
  }
}
