#include "image/code_page_text.h"

#include <iconv.h>

#include <cerrno>
#include <memory>

namespace image {
namespace {

struct IconvCloser {
  void operator()(void* cd) const { iconv_close(static_cast<iconv_t>(cd)); }
};

}  // namespace

std::optional<std::string> convertText(std::string_view text, const char* from, const char* to) {
  iconv_t cd = iconv_open(to, from);
  if (cd == reinterpret_cast<iconv_t>(-1)) return std::nullopt;
  std::unique_ptr<void, IconvCloser> guard(cd);

  std::string in(text);
  char* inPtr = in.data();
  std::size_t inLeft = in.size();
  std::string out;
  char chunk[256];
  while (inLeft > 0) {
    char* outPtr = chunk;
    std::size_t outLeft = sizeof chunk;
    std::size_t result = iconv(cd, &inPtr, &inLeft, &outPtr, &outLeft);
    out.append(chunk, sizeof chunk - outLeft);
    if (result == static_cast<std::size_t>(-1) && errno != E2BIG) return std::nullopt;
    // iconv counts characters it replaced instead of converting; such a text
    // does not survive the conversion.
    if (result != static_cast<std::size_t>(-1) && result != 0) return std::nullopt;
  }
  char* outPtr = chunk;
  std::size_t outLeft = sizeof chunk;
  if (iconv(cd, nullptr, nullptr, &outPtr, &outLeft) == static_cast<std::size_t>(-1)) {
    return std::nullopt;
  }
  out.append(chunk, sizeof chunk - outLeft);
  return out;
}

}  // namespace image
