#include "emulation/msiexec/formatted_text.h"

#include <cstdlib>

#include "base/ascii.h"

namespace msiexec {
namespace {

bool isIdentifier(std::string_view name) {
  if (name.empty() || !(ascii::isAlpha(name[0]) || name[0] == '_')) return false;
  for (char c : name) {
    if (!(ascii::isAlnum(c) || c == '_' || c == '.')) return false;
  }
  return true;
}

// The text that one bracketed field stands for; false when the field is
// none of the known forms and is kept as written.
bool expandField(std::string_view field, const FormatSources& sources, std::string* out) {
  if (field == "~") {
    *out = std::string(1, '\0');
    return true;
  }
  if (field.size() == 2 && field[0] == '\\') {
    *out = std::string(1, field[1]);
    return true;
  }
  const char sigil = field.empty() ? '\0' : field[0];
  const std::string_view name = field.empty() ? field : field.substr(1);
  if (sigil == '%' && !name.empty()) {
    const char* value = std::getenv(std::string(name).c_str());
    *out = value ? value : "";
    return true;
  }
  if ((sigil == '#' || sigil == '!') && isIdentifier(name)) {
    *out = sources.filePath ? sources.filePath(name) : "";
    return true;
  }
  if (sigil == '$' && isIdentifier(name)) {
    *out = sources.componentDirectory ? sources.componentDirectory(name) : "";
    return true;
  }
  if (isIdentifier(field)) {
    *out = sources.properties ? sources.properties->get(field) : "";
    return true;
  }
  return false;
}

}  // namespace

std::string formatText(std::string_view text, const FormatSources& sources) {
  std::string out;
  std::size_t i = 0;
  while (i < text.size()) {
    const std::size_t open = text.find('[', i);
    if (open == std::string_view::npos) {
      out.append(text.substr(i));
      break;
    }
    out.append(text.substr(i, open - i));
    // "[\[]" and "[\]]" escape the brackets themselves.
    if (text.substr(open, 4) == "[\\[]" || text.substr(open, 4) == "[\\]]") {
      out += text[open + 2];
      i = open + 4;
      continue;
    }
    const std::size_t close = text.find(']', open + 1);
    const std::size_t nextOpen = text.find('[', open + 1);
    if (close == std::string_view::npos ||
        (nextOpen != std::string_view::npos && nextOpen < close)) {
      out += '[';
      i = open + 1;
      continue;
    }
    std::string expanded;
    if (expandField(text.substr(open + 1, close - open - 1), sources, &expanded)) {
      out += expanded;
    } else {
      out.append(text.substr(open, close - open + 1));
    }
    i = close + 1;
  }
  return out;
}

}  // namespace msiexec
