#include "emulation/machine/registry_parser.h"

#include <vector>

#include "base/ascii.h"
#include "emulation/machine/code_page.h"

namespace emulated {
namespace {

constexpr std::string_view kHeaderVersion5 = "Windows Registry Editor Version 5.00";
constexpr std::string_view kHeaderVersion4 = "REGEDIT4";

bool isBlank(char c) { return c == ' ' || c == '\t'; }

std::string_view trimLeft(std::string_view s) {
  while (!s.empty() && isBlank(s.front())) s.remove_prefix(1);
  return s;
}

std::string_view trimRight(std::string_view s) {
  while (!s.empty() && isBlank(s.back())) s.remove_suffix(1);
  return s;
}

// What may follow a complete section or value on its line.
bool onlyCommentLeft(std::string_view rest) {
  rest = trimLeft(rest);
  return rest.empty() || rest.front() == ';';
}

int hexDigit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

// Reads a number of 1 to maxDigits hexadecimal digits at the start of s.
bool readHexNumber(std::string_view& s, std::size_t maxDigits, uint32_t* number) {
  std::size_t n = 0;
  uint32_t value = 0;
  while (n < s.size() && hexDigit(s[n]) >= 0) {
    if (n == maxDigits) return false;
    value = value * 16 + static_cast<uint32_t>(hexDigit(s[n]));
    ++n;
  }
  if (n == 0) return false;
  s.remove_prefix(n);
  *number = value;
  return true;
}

class Parser {
 public:
  Parser(RegistryFile& model, RegistryParseError* error) : model_(model), error_(error) {}

  bool run(std::string_view bytes) {
    std::string text;
    if (!decode(bytes, &text)) return false;
    splitLines(text);
    const std::string_view header = trimRight(lines_[0]);
    if (header == kHeaderVersion4) {
      textsInHexAreAnsi_ = true;
    } else if (header != kHeaderVersion5) {
      return fail(1,
                  "the first line must be \"Windows Registry Editor Version 5.00\" or "
                  "\"REGEDIT4\"");
    }
    for (index_ = 1; index_ < lines_.size(); ++index_) {
      const std::string_view line = trimLeft(lines_[index_]);
      if (line.empty() || line.front() == ';') continue;
      const bool ok = line.front() == '['                            ? section(line)
                      : (line.front() == '"' || line.front() == '@') ? value(line)
                                                                     : fail(index_ + 1,
                                                                            "expected a [key] "
                                                                            "line, a value line "
                                                                            "or a ; comment");
      if (!ok) return false;
    }
    return true;
  }

 private:
  bool fail(std::size_t line, std::string reason) {
    if (error_) *error_ = RegistryParseError{line, std::move(reason)};
    return false;
  }

  bool decode(std::string_view bytes, std::string* text) {
    if (bytes.substr(0, 2) == "\xFF\xFE") {
      bytes.remove_prefix(2);
      if (bytes.size() % 2 != 0) return fail(1, "the UTF-16 text ends in half a character");
      *text = utf16ToUtf8(bytesToUtf16(bytes));
      model_.setEncoding(RegistryEncoding::kUtf16);
      return true;
    }
    if (bytes.substr(0, 2) == "\xFE\xFF") return fail(1, "big-endian UTF-16 is not supported");
    model_.setEncoding(RegistryEncoding::kUtf8);
    if (bytes.substr(0, 3) == "\xEF\xBB\xBF") bytes.remove_prefix(3);
    // A text that is not valid UTF-8 was written in the machine's ANSI code
    // page, as older exports are.
    *text = isValidUtf8(bytes) ? std::string(bytes) : ansiToUtf8(bytes);
    return true;
  }

  void splitLines(const std::string& text) {
    text_ = text;
    std::string_view all = text_;
    for (;;) {
      const std::size_t end = all.find('\n');
      std::string_view line = all.substr(0, end);
      if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
      lines_.push_back(line);
      if (end == std::string_view::npos) break;
      all.remove_prefix(end + 1);
    }
  }

  bool section(std::string_view line) {
    const std::size_t lineNumber = index_ + 1;
    const std::size_t close = line.rfind(']');
    if (close == std::string_view::npos) return fail(lineNumber, "the key name has no closing ]");
    if (!onlyCommentLeft(line.substr(close + 1))) {
      return fail(lineNumber, "unexpected text after the key name");
    }
    std::string_view path = line.substr(1, close - 1);
    const bool deletion = !path.empty() && path.front() == '-';
    if (deletion) path.remove_prefix(1);
    const std::vector<std::string_view> parts = splitKeyPath(path);
    if (parts.empty()) return fail(lineNumber, "empty key name");
    if (!isRootKeyName(parts[0])) {
      return fail(lineNumber, "unknown root key \"" + std::string(parts[0]) + "\"");
    }
    const std::string problem = keyPathProblem(parts);
    if (!problem.empty()) return fail(lineNumber, problem);
    if (deletion) {
      if (parts.size() == 1) return fail(lineNumber, "a root key cannot be deleted");
      model_.deleteKey(path);
      current_ = nullptr;
    } else {
      current_ = model_.createKey(path);
    }
    return true;
  }

  // Reads a quoted text at the start of s (s.front() is the quote) with the
  // registry editor's two escapes, \\ and \".
  bool quoted(std::string_view& s, std::string* out, std::size_t lineNumber) {
    for (std::size_t i = 1; i < s.size(); ++i) {
      const char c = s[i];
      if (c == '"') {
        s.remove_prefix(i + 1);
        return true;
      }
      if (c == '\\') {
        if (i + 1 < s.size() && (s[i + 1] == '\\' || s[i + 1] == '"')) {
          *out += s[++i];
          continue;
        }
        return fail(lineNumber, "a backslash in a quoted text must be written \\\\");
      }
      *out += c;
    }
    return fail(lineNumber, "the quoted text has no closing quote");
  }

  bool value(std::string_view line) {
    const std::size_t lineNumber = index_ + 1;
    std::string name;
    if (line.front() == '@') {
      line.remove_prefix(1);
    } else if (!quoted(line, &name, lineNumber)) {
      return false;
    }
    const std::string problem = valueNameProblem(name);
    if (!problem.empty()) return fail(lineNumber, problem);
    line = trimLeft(line);
    if (line.empty() || line.front() != '=') return fail(lineNumber, "expected = after the name");
    line = trimLeft(line.substr(1));
    if (current_ == nullptr) return fail(lineNumber, "a value outside a [key] section");

    if (!line.empty() && line.front() == '-') {
      if (!onlyCommentLeft(line.substr(1))) return fail(lineNumber, "unexpected text after =-");
      current_->removeValue(name);
      return true;
    }
    if (!line.empty() && line.front() == '"') {
      std::string text;
      if (!quoted(line, &text, lineNumber)) return false;
      if (!onlyCommentLeft(line)) return fail(lineNumber, "unexpected text after the value");
      current_->setValue(makeTextValue(name, text));
      return true;
    }
    if (ascii::startsWithNoCase(line, "dword:")) {
      line.remove_prefix(6);
      uint32_t number = 0;
      if (!readHexNumber(line, 8, &number) || !onlyCommentLeft(line)) {
        return fail(lineNumber, "a dword value needs 1 to 8 hexadecimal digits");
      }
      current_->setValue(makeDwordValue(name, number));
      return true;
    }
    if (ascii::startsWithNoCase(line, "hex")) return hexValue(line.substr(3), name, lineNumber);
    return fail(lineNumber, "unknown kind of value (expected \"...\", dword:, hex: or -)");
  }

  bool hexValue(std::string_view typeSuffix, const std::string& name, std::size_t lineNumber) {
    uint32_t type = 3;  // REG_BINARY
    if (!typeSuffix.empty() && typeSuffix.front() == '(') {
      typeSuffix.remove_prefix(1);
      if (!readHexNumber(typeSuffix, 8, &type) || typeSuffix.empty() || typeSuffix.front() != ')') {
        return fail(lineNumber, "hex(...) needs a hexadecimal type number");
      }
      typeSuffix.remove_prefix(1);
    }
    if (typeSuffix.empty() || typeSuffix.front() != ':')
      return fail(lineNumber, "expected : after hex");
    typeSuffix.remove_prefix(1);

    // A trailing backslash continues the list of bytes on the next line.
    std::string joined;
    std::string_view piece = typeSuffix;
    for (;;) {
      const std::size_t comment = piece.find(';');
      std::string_view data = trimRight(piece.substr(0, comment));
      if (comment != std::string_view::npos || data.empty() || data.back() != '\\') {
        joined.append(data);
        break;
      }
      data.remove_suffix(1);
      joined.append(data);
      if (++index_ >= lines_.size()) return fail(lineNumber, "the value continues past the end");
      piece = trimLeft(lines_[index_]);
    }

    std::string bytes;
    std::string_view list = trimLeft(joined);
    while (!list.empty()) {
      uint32_t byte = 0;
      if (!readHexNumber(list, 2, &byte)) {
        return fail(lineNumber, "hex data must be bytes of two hexadecimal digits split by ,");
      }
      bytes += static_cast<char>(byte);
      list = trimLeft(list);
      if (list.empty()) break;
      if (list.front() != ',') {
        return fail(lineNumber, "hex data must be bytes of two hexadecimal digits split by ,");
      }
      list = trimLeft(list.substr(1));
      if (list.empty()) return fail(lineNumber, "a byte is missing after the last ,");
    }

    const bool textType = type == 1 || type == 2 || type == 7;
    if (textType && textsInHexAreAnsi_) bytes = utf16ToBytes(utf8ToUtf16(ansiToUtf8(bytes)));
    current_->setValue(RegistryValue{name, type, std::move(bytes)});
    return true;
  }

  RegistryFile& model_;
  RegistryParseError* error_;
  std::string text_;
  std::vector<std::string_view> lines_;
  std::size_t index_ = 0;
  RegistryKey* current_ = nullptr;
  bool textsInHexAreAnsi_ = false;
};

}  // namespace

bool parseRegistryText(std::string_view bytes, RegistryFile& model, RegistryParseError* error) {
  return Parser(model, error).run(bytes);
}

}  // namespace emulated
