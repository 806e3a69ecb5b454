#pragma once

#include <string>

#include "packaging/msidb/table_change.h"
#include "packaging/msidb/table_data.h"
#include "packaging/transform_writer/string_pool_builder.h"

// Writes the stream of one table of a transform: each changed row behind
// its mask, in the layout emulation/msiexec/transform_records.h describes.
namespace transform_writer {

// Every text of the changes must be in the pool already. False with the
// reason when the table is too wide for the change.
bool encodeTableStream(const msidb::Table& schema, const msidb::TableChanges& changes,
                       const StringPoolBuilder& pool, std::string* stream, std::string* error);

}  // namespace transform_writer
