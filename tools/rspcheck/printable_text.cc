#include "tools/rspcheck/printable_text.h"

#include <cstdio>

std::string printableText(std::string_view text) {
  auto plain = [](char c) {
    auto byte = static_cast<unsigned char>(c);
    return byte >= 0x20 && byte != 0x7f;
  };
  // Most texts have nothing to escape.
  bool allPlain = true;
  for (char c : text) allPlain = allPlain && plain(c);
  if (allPlain) return std::string(text);
  std::string out;
  out.reserve(text.size());
  for (char c : text) {
    unsigned char byte = static_cast<unsigned char>(c);
    if (c == '\n') {
      out += "\\n";
    } else if (c == '\r') {
      out += "\\r";
    } else if (c == '\t') {
      out += "\\t";
    } else if (byte < 0x20 || byte == 0x7f) {
      char escaped[8];
      std::snprintf(escaped, sizeof escaped, "\\x%02X", byte);
      out += escaped;
    } else {
      out += c;
    }
  }
  return out;
}

std::string tsvField(std::string_view text) {
  std::string out(text);
  for (char& c : out) {
    if (c == '\t' || c == '\n' || c == '\r') c = ' ';
  }
  return out;
}
