#pragma once

#include <string>

#include "packaging/msidb/table_change.h"
#include "packaging/msidb/table_data.h"

// Applies a transform's changes to a package's tables, as Windows Installer
// does for a transform that suppresses no error: a row added where its key
// already is, or changed or deleted where it is not, fails the transform.
namespace msiexec {

// False with the reason in *error; *tables may then be partly changed, so
// callers apply to a copy.
bool applyTransform(const msidb::TransformContent& transform, msidb::Tables* tables,
                    std::string* error);

}  // namespace msiexec
