#include "emulation/msiexec/string_pool.h"

#include <glib.h>

namespace msiexec {
namespace {

constexpr std::size_t kHeaderBytes = 4;
constexpr std::size_t kEntryBytes = 4;
constexpr uint16_t kLongReferencesFlag = 0x8000;
constexpr std::size_t kLongReferenceBytes = 3;

uint16_t word(std::string_view bytes, std::size_t at) {
  return static_cast<uint16_t>(static_cast<uint8_t>(bytes[at]) |
                               (static_cast<uint8_t>(bytes[at + 1]) << 8));
}

bool refuse(std::string* error, std::string reason) {
  if (error) *error = "string pool: " + std::move(reason);
  return false;
}

std::string charsetOf(uint32_t codePage) {
  return codePage == 65001 ? "UTF-8" : "CP" + std::to_string(codePage == 0 ? 1252 : codePage);
}

}  // namespace

bool isKnownCodePage(uint32_t codePage) {
  GIConv converter = g_iconv_open("UTF-8", charsetOf(codePage).c_str());
  if (converter == reinterpret_cast<GIConv>(-1)) return false;
  g_iconv_close(converter);
  return true;
}

bool codePageToUtf8(std::string_view text, uint32_t codePage, std::string* out) {
  bool ascii = true;
  for (char c : text) ascii = ascii && static_cast<unsigned char>(c) < 0x80;
  if (ascii) {
    out->assign(text);
    return true;
  }
  const std::string charset = charsetOf(codePage);
  gsize written = 0;
  gchar* converted = g_convert(text.data(), static_cast<gssize>(text.size()), "UTF-8",
                               charset.c_str(), nullptr, &written, nullptr);
  if (converted == nullptr) return false;
  out->assign(converted, written);
  g_free(converted);
  return true;
}

bool decodeStringPool(std::string_view pool, std::string_view data, StringPool* out,
                      std::string* error) {
  *out = StringPool{};
  if (pool.size() < kHeaderBytes || (pool.size() - kHeaderBytes) % kEntryBytes != 0) {
    return refuse(error, "_StringPool has " + std::to_string(pool.size()) + " bytes");
  }
  const uint16_t high = word(pool, 2);
  out->codePage = word(pool, 0) | (static_cast<uint32_t>(high & ~kLongReferencesFlag) << 16);
  if ((high & kLongReferencesFlag) != 0) out->bytesPerReference = kLongReferenceBytes;
  if (!isKnownCodePage(out->codePage)) {
    return refuse(error, "unknown code page " + std::to_string(out->codePage));
  }

  const std::size_t entries = (pool.size() - kHeaderBytes) / kEntryBytes;
  std::size_t offset = 0;  // into data
  for (std::size_t i = 0; i < entries; ++i) {
    const std::size_t at = kHeaderBytes + i * kEntryBytes;
    std::size_t length = word(pool, at);
    const uint16_t references = word(pool, at + 2);
    if (length == 0 && references != 0) {
      // A text of 64 KiB or more takes two entries: the first holds only its
      // reference count, the second the low and high words of its length.
      if (++i == entries) return refuse(error, "a long text's length is missing");
      const std::size_t next = kHeaderBytes + i * kEntryBytes;
      length = word(pool, next) | (static_cast<std::size_t>(word(pool, next + 2)) << 16);
    }
    if (length > data.size() - offset) {
      return refuse(error, "string " + std::to_string(out->strings.size() + 1) +
                               " runs past the end of _StringData");
    }
    std::string text;
    if (!codePageToUtf8(data.substr(offset, length), out->codePage, &text)) {
      return refuse(error, "string " + std::to_string(out->strings.size() + 1) +
                               " is no text of code page " + std::to_string(out->codePage));
    }
    out->strings.push_back(std::move(text));
    offset += length;
  }
  return true;
}

}  // namespace msiexec
