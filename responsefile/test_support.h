#pragma once

#include <cstdio>
#include <memory>
#include <string>
#include <string_view>

#include "responsefile/response_file.h"

// Loads a response file from text through an anonymous temporary stream, as
// the reader loads an open stream.
inline std::unique_ptr<ResponseFile> loadText(std::string_view text) {
  std::FILE* stream = std::tmpfile();
  if (stream == nullptr) return nullptr;
  std::fwrite(text.data(), 1, text.size(), stream);
  auto file = std::make_unique<ResponseFile>(stream);
  std::fclose(stream);
  return file;
}

// The entry's value as a string, "<none>" when it has none.
inline std::string valueOf(const ResponseFileEntry* entry) {
  if (entry == nullptr) return "<no entry>";
  const char* value = entry->value();
  return value ? value : "<none>";
}
