#include <cstdio>

#include "platform/platform.h"
#include "responsefile/keyword_catalogue.h"
#include "responsefile/response_file.h"

int32_t ResponseFile::write(const char* path) {
  std::FILE* out = path ? platform::openFile(path, "w") : nullptr;
  if (out == nullptr) {
    status_ = RspWriteFailed;
    return status_;
  }
  int32_t result = RspOk;
  for (ResponseFileEntry& entry : entries_) {
    if (entry.state() != EntryValid) continue;
    const char* value = entry.rawValue() ? entry.rawValue() : "";
    bool written = std::fprintf(out, "%s=%s\n", entry.name(), value) >= 0;
    // A secret is stored as given and announced on an ENCRYPTED line of its own.
    const KeywordDefinition* row = definitionAt(entry.catalogueIndex());
    if (written && row != nullptr && (row->flags & kKeywordSecret) != 0) {
      written = std::fprintf(out, "%s=%s\n", "ENCRYPTED", entry.name()) >= 0;
    }
    if (!written) {
      entry.setState(EntryWriteFailed, EntryProblem::kWriteFailed);
      result = RspWriteFailed;
    }
  }
  if (std::fclose(out) != 0) result = RspWriteFailed;
  status_ = result;
  return status_;
}
