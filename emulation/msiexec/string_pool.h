#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

// The string pool of a transform (or package): every text its tables refer
// to, numbered from 1, kept in two streams. _StringPool begins with the code
// page of the texts (its top bit set when references take three bytes
// instead of two) and then holds each string's length and reference count;
// _StringData holds the texts one after the other, without terminators.
namespace msiexec {

struct StringPool {
  uint32_t codePage = 0;  // 0: neutral
  std::size_t bytesPerReference = 2;
  std::vector<std::string> strings;  // UTF-8; strings[id - 1] is string id
};

// Decodes the two streams, converting the texts from the pool's code page
// to UTF-8. False with the reason in *error when they do not agree, a text
// does not fit in the data, or the code page is unknown.
bool decodeStringPool(std::string_view pool, std::string_view data, StringPool* out,
                      std::string* error);

}  // namespace msiexec
