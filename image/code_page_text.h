#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace image {

// Converts text between two encodings known to the host's iconv ("UTF-8",
// "CP1252", "CP932"...). nullopt when an encoding is unknown or a character
// has no form in the target encoding.
std::optional<std::string> convertText(std::string_view text, const char* from, const char* to);

}  // namespace image
