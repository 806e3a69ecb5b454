#pragma once

#include <string>
#include <string_view>

#include "emulation/msiexec/string_pool.h"
#include "packaging/msidb/table_change.h"
#include "packaging/msidb/table_data.h"

// The stream of one table in a transform: its changed rows one after the
// other, each behind a 16-bit mask that says what follows.
//
// - Low bit set: an added row; the high byte counts its columns, which
//   follow from the first one on.
// - Low bit clear, mask 0: a deleted row; only its key columns follow.
// - Low bit clear otherwise: a changed row; its key columns follow, and each
//   other column whose bit (1 << column index) is set.
//
// Texts are references into the transform's string pool (0 for null);
// integers are stored with their top bit flipped (0 for null), in two or
// four bytes as the column's type says; all little-endian.
namespace msiexec {

// Decodes the stream against the columns of the package's table. False with
// the reason in *error when a row does not fit the columns or the pool.
bool decodeTableStream(std::string_view stream, const msidb::Table& schema, const StringPool& pool,
                       msidb::TableChanges* out, std::string* error);

// The widest table whose changed rows a 16-bit mask can describe.
constexpr std::size_t kMaskedColumnLimit = 16;

}  // namespace msiexec
