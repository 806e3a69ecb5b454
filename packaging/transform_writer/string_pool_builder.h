#pragma once

#include <cstddef>
#include <cstdint>
#include <map>
#include <string>
#include <string_view>
#include <vector>

// Builds a transform's string pool: each distinct text once, numbered from
// 1 in the order first met, in the transform's code page. References take
// two bytes, or three once the pool holds more strings than two bytes can
// number. See emulation/msiexec/string_pool.h for the two streams' layout.
namespace transform_writer {

class StringPoolBuilder {
 public:
  // codePage 0 is neutral: plain ASCII texts only.
  explicit StringPoolBuilder(uint32_t codePage) : codePage_(codePage) {}

  // Adds a UTF-8 text (once) and counts the reference. False with the reason
  // when the code page has no form for it.
  bool add(std::string_view text, std::string* error);
  // The id of a text added before; 0 for the empty text (null).
  uint32_t idOf(std::string_view text) const;

  std::size_t bytesPerReference() const;
  std::string poolStream() const;  // _StringPool
  std::string dataStream() const;  // _StringData

 private:
  struct Entry {
    std::string bytes;  // in the code page
    uint32_t references = 0;
  };
  uint32_t codePage_;
  std::vector<Entry> entries_;
  std::map<std::string, uint32_t, std::less<>> ids_;  // UTF-8 text to id
};

}  // namespace transform_writer
