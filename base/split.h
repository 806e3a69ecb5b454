#pragma once

#include <string_view>
#include <vector>

// The pieces of text between its separators (any character of separators),
// empty pieces included: "a;;b" gives "a", "", "b", and "" one empty piece.
// Lists of transforms, features and path names are all cut this way; what
// an empty piece means is the caller's.
inline std::vector<std::string_view> splitAt(std::string_view text, std::string_view separators) {
  std::vector<std::string_view> pieces;
  std::size_t start = 0;
  for (;;) {
    const std::size_t end = text.find_first_of(separators, start);
    if (end == std::string_view::npos) {
      pieces.push_back(text.substr(start));
      return pieces;
    }
    pieces.push_back(text.substr(start, end - start));
    start = end + 1;
  }
}
