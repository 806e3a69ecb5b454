#include <cstring>

#include "base/ascii.h"
#include "responsefile/agent_parameter_pairs.h"
#include "responsefile/response_file.h"

// The checks that compare several entries once every line is loaded.

namespace {

constexpr std::size_t kMaxDirectoryNamesLength = 255;

std::size_t lengthOf(const char* text) { return text ? std::strlen(text) : 0; }

bool valueIs(const ResponseFileEntry& entry, const char* word) {
  const char* value = entry.value();
  return value != nullptr && ascii::equalsNoCase(value, word);
}

}  // namespace

void ResponseFile::runPostLoadChecks() {
  // The keywords these checks compare, found in one walk over the entries.
  const std::string_view names[] = {"KV7.DIR_OBJ_NAME", "KV7.DIR_PATH_NAME", "PROD",
                                    "INSTALL_TYPE"};
  int32_t first[4];
  findFirstIndexes(names, 4, first);
  checkDirectoryNameLength(first[0], first[1]);
  checkProductInstallType(first[2], first[3]);
  checkAgentParameterPairs(*this, kCheckDefaultInstancePrefix);
  checkAgentParameterPairs(*this, kCheckControlServerPrefix);
}

void ResponseFile::checkDirectoryNameLength(int32_t object, int32_t path) {
  if (object < 0 || path < 0) return;
  std::size_t total = lengthOf(entries_[object].value()) + lengthOf(entries_[path].value());
  if (total <= kMaxDirectoryNamesLength) return;
  entries_[object].markContradiction(CrossCheck::kDirectoryNameLength, {path});
  entries_[path].markContradiction(CrossCheck::kDirectoryNameLength, {object});
  status_ = RspContentInvalid;
}

void ResponseFile::checkProductInstallType(int32_t product, int32_t type) {
  if (product < 0 || type < 0) return;
  const ResponseFileEntry& prod = entries_[product];
  const ResponseFileEntry& installType = entries_[type];
  bool refused = false;
  if (valueIs(prod, "WORKLOAD_WARDEN")) {
    refused = valueIs(installType, "COMPACT");
  } else if (valueIs(prod, "ORIEL_SQL_LINKS") || valueIs(prod, "ORIEL_FLAT_LINKS")) {
    refused = valueIs(installType, "COMPACT") || valueIs(installType, "TYPICAL");
  }
  if (!refused) return;
  entries_[type].markContradiction(CrossCheck::kProductInstallType, {product});
  status_ = RspContentInvalid;
}
