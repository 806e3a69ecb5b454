#pragma once

#include <glib.h>

#include <string>
#include <string_view>

namespace msidb {

// What failed, with the library's reason when it gave one; frees the error.
inline std::string takeError(GError* error, std::string_view what) {
  std::string text(what);
  if (error != nullptr) {
    text += ": ";
    text += error->message;
    g_error_free(error);
  }
  return text;
}

}  // namespace msidb
