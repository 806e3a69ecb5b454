#include "emulation/msiexec/registry_value_text.h"

#include <cstdint>
#include <vector>

#include "base/ascii.h"
#include "emulation/machine/code_page.h"
#include "platform/platform.h"

namespace msiexec {
namespace {

int hexDigit(char c) {
  if (ascii::isDigit(c)) return c - '0';
  return ascii::toUpper(c) - 'A' + 10;
}

bool parseBinary(std::string_view hex, std::string* bytes) {
  // An odd count of digits has an implied leading zero.
  std::string digits = hex.size() % 2 ? "0" + std::string(hex) : std::string(hex);
  for (char c : digits) {
    if (!ascii::isXDigit(c)) return false;
  }
  for (std::size_t i = 0; i < digits.size(); i += 2) {
    bytes->push_back(static_cast<char>(hexDigit(digits[i]) * 16 + hexDigit(digits[i + 1])));
  }
  return true;
}

bool parseDword(std::string_view text, uint32_t* number) {
  const bool negative = !text.empty() && (text[0] == '-' || text[0] == '+');
  const bool minus = negative && text[0] == '-';
  if (negative) text.remove_prefix(1);
  if (text.empty()) return false;
  uint64_t value = 0;
  for (char c : text) {
    if (!ascii::isDigit(c)) return false;
    value = value * 10 + static_cast<uint64_t>(c - '0');
    if (value > 0xFFFFFFFFull) return false;
  }
  *number = static_cast<uint32_t>(minus ? 0 - value : value);
  return true;
}

// The texts of a multi-string, without the empty ones that a leading or
// trailing "[~]" leaves, each stored as UTF-16 with its terminator and the
// list closed by one more.
emulated::RegistryValue multiString(std::string_view name, std::string_view formatted) {
  std::u16string stored;
  std::size_t start = 0;
  while (start <= formatted.size()) {
    std::size_t end = formatted.find('\0', start);
    if (end == std::string_view::npos) end = formatted.size();
    const std::string_view part = formatted.substr(start, end - start);
    if (!part.empty()) {
      stored += emulated::utf8ToUtf16(part);
      stored += u'\0';
    }
    start = end + 1;
  }
  stored += u'\0';
  emulated::RegistryValue value;
  value.name = std::string(name);
  value.type = platform::kRegMultiSz;
  value.data = emulated::utf16ToBytes(stored);
  return value;
}

}  // namespace

bool registryValueFromText(std::string_view name, std::string_view formatted,
                           emulated::RegistryValue* value, std::string* error) {
  if (formatted.find('\0') != std::string_view::npos) {
    *value = multiString(name, formatted);
    return true;
  }
  if (formatted.size() >= 2 && formatted[0] == '#' && formatted[1] == '#') {
    *value = emulated::makeTextValue(name, formatted.substr(1));
    return true;
  }
  if (formatted.size() >= 2 && formatted[0] == '#' &&
      (formatted[1] == 'x' || formatted[1] == 'X')) {
    std::string bytes;
    if (!parseBinary(formatted.substr(2), &bytes)) {
      if (error) *error = "\"" + std::string(formatted) + "\" is not a binary value";
      return false;
    }
    value->name = std::string(name);
    value->type = platform::kRegBinary;
    value->data = bytes;
    return true;
  }
  if (formatted.size() >= 2 && formatted[0] == '#' && formatted[1] == '%') {
    *value = emulated::makeTextValue(name, formatted.substr(2), platform::kRegExpandSz);
    return true;
  }
  if (!formatted.empty() && formatted[0] == '#') {
    uint32_t number = 0;
    if (!parseDword(formatted.substr(1), &number)) {
      if (error) *error = "\"" + std::string(formatted) + "\" is not a 32-bit number";
      return false;
    }
    *value = emulated::makeDwordValue(name, number);
    return true;
  }
  *value = emulated::makeTextValue(name, formatted);
  return true;
}

}  // namespace msiexec
