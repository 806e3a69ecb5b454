#pragma once

#include <cstdint>
#include <string>
#include <string_view>

// The texts of a package and its transforms are bytes of the package's
// Windows code page; the tools work in UTF-8. Code page 0 is the neutral one.
namespace msidb {

// Whether the host can convert texts of the Windows code page (0 and 65001
// included).
bool isKnownCodePage(uint32_t codePage);

// The UTF-8 form of text in a Windows code page (0 reads as 1252, the
// emulated machine's); false when the code page is unknown or the bytes are
// not text of it.
bool codePageToUtf8(std::string_view text, uint32_t codePage, std::string* out);

// The text in the Windows code page (0 holds ASCII only); false when a
// character has no form there.
bool utf8ToCodePage(std::string_view text, uint32_t codePage, std::string* out);

}  // namespace msidb
