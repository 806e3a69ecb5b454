#include "emulation/msiexec/string_pool.h"

#include "packaging/msidb/code_page_text.h"

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

}  // namespace

bool decodeStringPool(std::string_view pool, std::string_view data, StringPool* out,
                      std::string* error) {
  *out = StringPool{};
  if (pool.size() < kHeaderBytes || (pool.size() - kHeaderBytes) % kEntryBytes != 0) {
    return refuse(error, "_StringPool has " + std::to_string(pool.size()) + " bytes");
  }
  const uint16_t high = word(pool, 2);
  out->codePage = word(pool, 0) | (static_cast<uint32_t>(high & ~kLongReferencesFlag) << 16);
  if ((high & kLongReferencesFlag) != 0) out->bytesPerReference = kLongReferenceBytes;
  if (!msidb::isKnownCodePage(out->codePage)) {
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
    if (!msidb::codePageToUtf8(data.substr(offset, length), out->codePage, &text)) {
      return refuse(error, "string " + std::to_string(out->strings.size() + 1) +
                               " is no text of code page " + std::to_string(out->codePage));
    }
    out->strings.push_back(std::move(text));
    offset += length;
  }
  return true;
}

}  // namespace msiexec
