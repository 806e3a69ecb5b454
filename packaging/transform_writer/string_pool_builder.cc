#include "packaging/transform_writer/string_pool_builder.h"

#include "packaging/msidb/code_page_text.h"

namespace transform_writer {
namespace {

constexpr uint32_t kShortReferenceLimit = 0xFFFF;
constexpr uint16_t kLongReferencesFlag = 0x8000;

void putWord(std::string* out, uint32_t value) {
  *out += static_cast<char>(value & 0xFF);
  *out += static_cast<char>((value >> 8) & 0xFF);
}

}  // namespace

bool StringPoolBuilder::add(std::string_view text, std::string* error) {
  if (text.empty()) return true;
  auto found = ids_.find(text);
  if (found != ids_.end()) {
    ++entries_[found->second - 1].references;
    return true;
  }
  Entry entry;
  if (!msidb::utf8ToCodePage(text, codePage_, &entry.bytes)) {
    *error = "\"" + std::string(text) + "\" has no form in code page " + std::to_string(codePage_);
    return false;
  }
  entry.references = 1;
  entries_.push_back(std::move(entry));
  ids_.emplace(std::string(text), static_cast<uint32_t>(entries_.size()));
  return true;
}

uint32_t StringPoolBuilder::idOf(std::string_view text) const {
  auto found = ids_.find(text);
  return found == ids_.end() ? 0 : found->second;
}

std::size_t StringPoolBuilder::bytesPerReference() const {
  return entries_.size() > kShortReferenceLimit ? 3 : 2;
}

std::string StringPoolBuilder::poolStream() const {
  std::string pool;
  putWord(&pool, codePage_ & 0xFFFF);
  putWord(&pool,
          ((codePage_ >> 16) & 0x7FFF) | (bytesPerReference() == 3 ? kLongReferencesFlag : 0));
  for (const Entry& entry : entries_) {
    const std::size_t length = entry.bytes.size();
    const uint32_t references = entry.references > 0xFFFF ? 0xFFFF : entry.references;
    if (length > 0xFFFF) {
      // A long text: an entry with its reference count only, then one with
      // the low and high words of its length.
      putWord(&pool, 0);
      putWord(&pool, references);
      putWord(&pool, length & 0xFFFF);
      putWord(&pool, (length >> 16) & 0xFFFF);
    } else {
      putWord(&pool, static_cast<uint32_t>(length));
      putWord(&pool, references);
    }
  }
  return pool;
}

std::string StringPoolBuilder::dataStream() const {
  std::string data;
  for (const Entry& entry : entries_) data += entry.bytes;
  return data;
}

}  // namespace transform_writer
