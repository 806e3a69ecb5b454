#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "packaging/msidb/table_data.h"

// The TRANSFORMS list: transforms stored in the package, written with a
// leading ":" and read from the package's storage of that name, and
// transform files (language transforms), looked up beside the package unless
// given with a full path. They are applied in the order listed, each to what
// the ones before it made of the package's tables.
namespace msiexec {

struct TransformReference {
  bool embedded = false;
  std::string name;  // the storage's name in the package, or the file's Windows path
  // As the product registration keeps it: ":name", or the file's full path.
  std::string registered() const { return embedded ? ":" + name : name; }
};

// The entries of the list, split at ";", in order; empty entries are
// skipped. "@" and "|" before a file name say where Windows keeps a secured
// transform; the file is the same. packagePath is the package's Windows
// path; a file named without a full path is resolved beside it after the
// split, so the package's folder may hold ";" itself. Only a list is split:
// keep the result rather than joining it and splitting it again.
std::vector<TransformReference> parseTransformList(std::string_view list,
                                                   std::string_view packagePath);

// The list as a product registration keeps it.
std::string registeredTransformList(const std::vector<TransformReference>& transforms);

// Reads each transform, from the package (whose host path is given) or from
// its file, and applies it to *tables. 0, or kTransformFailure with the
// reason in *error when one is missing, is no transform, or cannot be
// applied; *tables is then unchanged.
uint32_t applyTransforms(const std::vector<TransformReference>& transforms,
                         const std::string& packageHostPath, msidb::Tables* tables,
                         std::string* error);

}  // namespace msiexec
