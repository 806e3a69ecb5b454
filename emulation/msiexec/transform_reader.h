#pragma once

#include <string>

#include "packaging/msidb/compound_file.h"
#include "packaging/msidb/table_change.h"
#include "packaging/msidb/table_data.h"

// Reads a transform: a compound file (or a storage inside a package) of the
// transform class, with its own string pool and one stream per changed
// table, decoded against the tables of the package it is applied to.
// Transforms that add or drop tables or columns, or change stream data, are
// refused: the driver package's transforms only change rows.
namespace msiexec {

// The class id of a transform's storage.
extern const msidb::ClassId kTransformClassId;

// The most bytes read from one stream of a transform.
constexpr std::size_t kTransformStreamLimit = 16u << 20;

// False with the reason in *error when the storage is no transform or a
// stream cannot be decoded.
bool readTransform(const msidb::CompoundStorage& storage, const msidb::Tables& package,
                   msidb::TransformContent* out, std::string* error);

}  // namespace msiexec
