#include "packaging/msidb/code_page_text.h"

#include <glib.h>

namespace msidb {
namespace {

std::string charsetOf(uint32_t codePage) {
  return codePage == 65001 ? "UTF-8" : "CP" + std::to_string(codePage == 0 ? 1252 : codePage);
}

bool isAscii(std::string_view text) {
  for (char c : text) {
    if (static_cast<unsigned char>(c) >= 0x80) return false;
  }
  return true;
}

bool convert(std::string_view text, const std::string& to, const std::string& from,
             std::string* out) {
  gsize written = 0;
  gchar* converted = g_convert(text.data(), static_cast<gssize>(text.size()), to.c_str(),
                               from.c_str(), nullptr, &written, nullptr);
  if (converted == nullptr) return false;
  out->assign(converted, written);
  g_free(converted);
  return true;
}

}  // namespace

bool isKnownCodePage(uint32_t codePage) {
  GIConv converter = g_iconv_open("UTF-8", charsetOf(codePage).c_str());
  if (converter == reinterpret_cast<GIConv>(-1)) return false;
  g_iconv_close(converter);
  return true;
}

bool codePageToUtf8(std::string_view text, uint32_t codePage, std::string* out) {
  if (isAscii(text)) {
    out->assign(text);
    return true;
  }
  return convert(text, "UTF-8", charsetOf(codePage), out);
}

bool utf8ToCodePage(std::string_view text, uint32_t codePage, std::string* out) {
  if (isAscii(text)) {
    out->assign(text);
    return true;
  }
  if (codePage == 0) return false;
  return convert(text, charsetOf(codePage), "UTF-8", out);
}

}  // namespace msidb
