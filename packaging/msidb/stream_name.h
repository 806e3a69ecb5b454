#pragma once

#include <optional>
#include <string>
#include <string_view>

// The names of the streams of an installer package or transform. A table's
// stream is named by the table's name packed two characters to a UTF-16
// unit, behind a mark that says "table"; other streams (cabinets, binary
// data) are packed the same way without the mark. In the compound file a
// name is UTF-16, which libgsf hands over as UTF-8.
namespace msidb {

// The stream name, as UTF-8, of a table (isTable) or another stream. Names
// hold letters, digits, "." and "_"; any other character is kept as it is.
std::string encodeStreamName(std::string_view name, bool isTable);

struct DecodedStreamName {
  std::string name;
  bool isTable = false;
};

// The plain name of a stream named in UTF-8; nullopt when the UTF-8 is
// malformed.
std::optional<DecodedStreamName> decodeStreamName(std::string_view utf8);

}  // namespace msidb
