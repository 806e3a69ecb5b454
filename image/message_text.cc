#include "image/message_text.h"

#include <cstdlib>

#include "base/ascii.h"

namespace image {
namespace {

bool isKeyStart(char c) { return c >= 'A' && c <= 'Z'; }
bool isKeyChar(char c) { return isKeyStart(c) || ascii::isDigit(c) || c == '_'; }

// Splits text at sep; a trailing separator gives no empty last piece.
std::vector<std::string_view> splitLines(std::string_view text, std::string_view sep) {
  std::vector<std::string_view> lines;
  std::size_t start = 0;
  while (start < text.size()) {
    std::size_t end = text.find(sep, start);
    if (end == std::string_view::npos) {
      lines.push_back(text.substr(start));
      break;
    }
    lines.push_back(text.substr(start, end - start));
    start = end + sep.size();
  }
  return lines;
}

}  // namespace

std::optional<std::string> printfConversions(std::string_view text) {
  static constexpr std::string_view kFlags = "-+ #0";
  static constexpr std::string_view kLetters = "diouxXeEfFgGaAcspn";
  std::string kinds;
  std::size_t i = 0;
  while (i < text.size()) {
    if (text[i] != '%') {
      ++i;
      continue;
    }
    ++i;
    if (i < text.size() && text[i] == '%') {
      ++i;
      continue;
    }
    while (i < text.size() && kFlags.find(text[i]) != std::string_view::npos) ++i;
    if (i < text.size() && text[i] == '*') {
      kinds += "%*";
      ++i;
    } else {
      while (i < text.size() && ascii::isDigit(text[i])) ++i;
    }
    if (i < text.size() && text[i] == '.') {
      ++i;
      if (i < text.size() && text[i] == '*') {
        kinds += "%*";
        ++i;
      } else {
        while (i < text.size() && ascii::isDigit(text[i])) ++i;
      }
    }
    std::string kind = "%";
    while (i < text.size() && std::string_view("hljztL").find(text[i]) != std::string_view::npos) {
      kind += text[i++];
    }
    if (i >= text.size() || kLetters.find(text[i]) == std::string_view::npos) return std::nullopt;
    kind += text[i++];
    kinds += kind;
  }
  return kinds;
}

MessageFile parseMessageFile(std::string_view content, std::string_view lineEnd) {
  MessageFile file;
  std::size_t number = 0;
  for (std::string_view line : splitLines(content, lineEnd)) {
    ++number;
    std::size_t keyEnd = 0;
    if (!line.empty() && isKeyStart(line[0])) {
      while (keyEnd < line.size() && isKeyChar(line[keyEnd])) ++keyEnd;
    }
    if (keyEnd == 0 || keyEnd >= line.size() || line[keyEnd] != '=') {
      file.unreadableLines.push_back(number);
      continue;
    }
    file.entries.push_back(
        {std::string(line.substr(0, keyEnd)), std::string(line.substr(keyEnd + 1)), number});
  }
  return file;
}

std::optional<std::vector<MessageKey>> parseMessageKeys(std::string_view content,
                                                        std::size_t* badLine) {
  std::vector<MessageKey> keys;
  std::size_t number = 0;
  for (std::string_view line : splitLines(content, "\n")) {
    ++number;
    if (line.empty() || line[0] == '#') continue;
    std::vector<std::string_view> columns = splitLines(line, "\t");
    // A key with an empty conversion column and a limit leaves an empty
    // middle column, which the splitter keeps.
    MessageKey key;
    key.key = std::string(columns[0]);
    bool ok = !key.key.empty() && isKeyStart(key.key[0]) && columns.size() <= 3;
    for (char c : key.key) ok = ok && isKeyChar(c);
    if (ok && columns.size() >= 2) {
      std::optional<std::string> kinds = printfConversions(columns[1]);
      ok = kinds.has_value() && *kinds == columns[1];
      key.conversions = std::string(columns[1]);
    }
    if (ok && columns.size() == 3) {
      std::string limit(columns[2]);
      char* end = nullptr;
      unsigned long value = std::strtoul(limit.c_str(), &end, 10);
      ok = !limit.empty() && *end == '\0' && value > 0;
      key.maxTextBytes = value;
    }
    if (!ok) {
      if (badLine != nullptr) *badLine = number;
      return std::nullopt;
    }
    keys.push_back(std::move(key));
  }
  return keys;
}

}  // namespace image
