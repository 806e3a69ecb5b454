#include "launcher/message_format.h"

#include <string_view>
#include <vector>

#include "base/ascii.h"

namespace {

// Widths and precisions beyond this are refused: no message is that wide,
// and an edited text must not make the launcher allocate without bound.
constexpr int kMaxFieldWidth = 4096;

struct Conversion {
  bool leftAlign = false;
  bool plusSign = false;
  bool spaceSign = false;
  bool zeroPad = false;
  int width = -1;
  int precision = -1;
  char kind = 0;  // 's' for a string, 'd' for an integer
};

struct Piece {
  std::string_view literal;  // text between conversions, "%%" already halved
  bool isConversion = false;
  Conversion conversion;
};

// Reads a decimal number at text[*pos]; false when it exceeds the limit.
bool readNumber(std::string_view text, std::size_t* pos, int* number) {
  int value = 0;
  while (*pos < text.size() && ascii::isDigit(text[*pos])) {
    value = value * 10 + (text[*pos] - '0');
    if (value > kMaxFieldWidth) return false;
    ++*pos;
  }
  *number = value;
  return true;
}

// Splits format into literal pieces and conversions; false when it holds
// anything but the accepted conversions.
bool parseFormat(std::string_view format, std::vector<Piece>* pieces) {
  std::size_t start = 0;
  std::size_t pos = 0;
  while (pos < format.size()) {
    if (format[pos] != '%') {
      ++pos;
      continue;
    }
    if (pos + 1 < format.size() && format[pos + 1] == '%') {
      // Keep the first "%" as literal text and skip the second.
      pieces->push_back({format.substr(start, pos + 1 - start), false, {}});
      pos += 2;
      start = pos;
      continue;
    }
    pieces->push_back({format.substr(start, pos - start), false, {}});
    Conversion conversion;
    ++pos;
    for (; pos < format.size(); ++pos) {
      char c = format[pos];
      if (c == '-') {
        conversion.leftAlign = true;
      } else if (c == '+') {
        conversion.plusSign = true;
      } else if (c == ' ') {
        conversion.spaceSign = true;
      } else if (c == '0') {
        conversion.zeroPad = true;
      } else {
        break;
      }
    }
    if (pos < format.size() && ascii::isDigit(format[pos])) {
      if (!readNumber(format, &pos, &conversion.width)) return false;
    }
    if (pos < format.size() && format[pos] == '.') {
      ++pos;
      if (!readNumber(format, &pos, &conversion.precision)) return false;
    }
    if (pos >= format.size()) return false;
    char kind = format[pos];
    if (kind == 's') {
      // Sign and zero flags mean nothing for a text.
      if (conversion.plusSign || conversion.spaceSign || conversion.zeroPad) return false;
      conversion.kind = 's';
    } else if (kind == 'd' || kind == 'i') {
      conversion.kind = 'd';
    } else {
      return false;
    }
    pieces->push_back({{}, true, conversion});
    ++pos;
    start = pos;
  }
  pieces->push_back({format.substr(start), false, {}});
  return true;
}

// Parses format and checks that its conversions are exactly `kinds`.
bool parseFitting(const char* format, std::string_view kinds, std::vector<Piece>* pieces) {
  if (format == nullptr || !parseFormat(format, pieces)) return false;
  std::size_t next = 0;
  for (const Piece& piece : *pieces) {
    if (!piece.isConversion) continue;
    if (next >= kinds.size() || piece.conversion.kind != kinds[next]) return false;
    ++next;
  }
  return next == kinds.size();
}

void pad(std::string* out, std::string_view body, const Conversion& conversion) {
  std::size_t width = conversion.width > 0 ? static_cast<std::size_t>(conversion.width) : 0;
  std::size_t fill = body.size() < width ? width - body.size() : 0;
  if (!conversion.leftAlign) out->append(fill, ' ');
  out->append(body);
  if (conversion.leftAlign) out->append(fill, ' ');
}

// Answers where the argument's own bytes went (the padding is not its).
TextSpan appendText(std::string* out, const char* arg, const Conversion& conversion) {
  std::string_view text = arg != nullptr ? arg : "";
  if (conversion.precision >= 0 && text.size() > static_cast<std::size_t>(conversion.precision)) {
    text = text.substr(0, static_cast<std::size_t>(conversion.precision));
  }
  const std::size_t before = out->size();
  pad(out, text, conversion);
  const std::size_t begin = conversion.leftAlign ? before : out->size() - text.size();
  return {begin, begin + text.size()};
}

void appendInteger(std::string* out, int value, const Conversion& conversion) {
  long long wide = value;
  unsigned long long magnitude =
      wide < 0 ? static_cast<unsigned long long>(-wide) : static_cast<unsigned long long>(wide);
  std::string digits;
  if (!(magnitude == 0 && conversion.precision == 0)) {
    digits = std::to_string(magnitude);
  }
  if (conversion.precision > 0 && digits.size() < static_cast<std::size_t>(conversion.precision)) {
    digits.insert(0, static_cast<std::size_t>(conversion.precision) - digits.size(), '0');
  }
  std::string sign;
  if (value < 0) {
    sign = "-";
  } else if (conversion.plusSign) {
    sign = "+";
  } else if (conversion.spaceSign) {
    sign = " ";
  }
  std::size_t width = conversion.width > 0 ? static_cast<std::size_t>(conversion.width) : 0;
  if (conversion.zeroPad && !conversion.leftAlign && conversion.precision < 0 &&
      sign.size() + digits.size() < width) {
    digits.insert(0, width - sign.size() - digits.size(), '0');
  }
  pad(out, sign + digits, conversion);
}

}  // namespace

bool formatFitsStrings(const char* format, std::size_t stringCount) {
  std::vector<Piece> pieces;
  return parseFitting(format, std::string(stringCount, 's'), &pieces);
}

bool formatFitsOneInt(const char* format) {
  std::vector<Piece> pieces;
  return parseFitting(format, "d", &pieces);
}

std::string formatMessage(const char* format, std::initializer_list<const char*> stringArgs,
                          std::vector<TextSpan>* argumentSpans) {
  if (argumentSpans != nullptr) argumentSpans->clear();
  if (format == nullptr) return std::string();
  std::vector<Piece> pieces;
  if (!parseFitting(format, std::string(stringArgs.size(), 's'), &pieces)) return format;
  std::string out;
  auto arg = stringArgs.begin();
  for (const Piece& piece : pieces) {
    if (piece.isConversion) {
      const TextSpan span = appendText(&out, *arg++, piece.conversion);
      if (argumentSpans != nullptr) argumentSpans->push_back(span);
    } else {
      out.append(piece.literal);
    }
  }
  return out;
}

std::string formatMessage(const char* format, int value) {
  if (format == nullptr) return std::string();
  std::vector<Piece> pieces;
  if (!parseFitting(format, "d", &pieces)) return format;
  std::string out;
  for (const Piece& piece : pieces) {
    if (piece.isConversion) {
      appendInteger(&out, value, piece.conversion);
    } else {
      out.append(piece.literal);
    }
  }
  return out;
}
