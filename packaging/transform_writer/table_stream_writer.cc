#include "packaging/transform_writer/table_stream_writer.h"

#include <cstdint>

namespace transform_writer {
namespace {

constexpr std::size_t kMaskBits = 16;
constexpr std::size_t kMostAddedColumns = 255;

void put(std::string* out, uint32_t value, std::size_t width) {
  for (std::size_t i = 0; i < width; ++i)
    out->push_back(static_cast<char>((value >> (8 * i)) & 0xFF));
}

void putCell(std::string* out, const msidb::Column& column, const msidb::Cell& cell,
             const StringPoolBuilder& pool) {
  if (msidb::isStringColumn(column.type)) {
    put(out, cell.null ? 0 : pool.idOf(cell.text), pool.bytesPerReference());
  } else if (msidb::isShortColumn(column.type)) {
    put(out, cell.null ? 0 : (static_cast<uint32_t>(cell.number) ^ 0x8000u) & 0xFFFF, 2);
  } else {
    put(out, cell.null ? 0 : static_cast<uint32_t>(cell.number) ^ 0x80000000u, 4);
  }
}

}  // namespace

bool encodeTableStream(const msidb::Table& schema, const msidb::TableChanges& changes,
                       const StringPoolBuilder& pool, std::string* stream, std::string* error) {
  stream->clear();
  const std::size_t columns = schema.columns.size();
  // A changed row's mask uses the first column's bit to say "added row":
  // the first column is a key, which is always carried.
  if (columns == 0 || !msidb::isKeyColumn(schema.columns[0].type)) {
    *error = "the table " + schema.name + " does not begin with a key column";
    return false;
  }
  for (const msidb::RowChange& row : changes.rows) {
    uint32_t mask = 0;
    if (row.kind == msidb::ChangeKind::kAdd) {
      if (columns > kMostAddedColumns) {
        *error = "the table " + schema.name + " has too many columns to add a row";
        return false;
      }
      mask = static_cast<uint32_t>(columns << 8) | 1;
    } else {
      if (columns > kMaskBits) {
        *error = "rows of the table " + schema.name + " cannot be changed: it is too wide";
        return false;
      }
      if (row.kind == msidb::ChangeKind::kUpdate) {
        for (std::size_t i = 0; i < columns; ++i) {
          if (row.cells[i] && !msidb::isKeyColumn(schema.columns[i].type)) mask |= 1u << i;
        }
      }
    }
    put(stream, mask, 2);
    for (std::size_t i = 0; i < columns; ++i) {
      const bool carried = row.kind == msidb::ChangeKind::kAdd ||
                           msidb::isKeyColumn(schema.columns[i].type) || (mask & (1u << i)) != 0;
      if (carried) putCell(stream, schema.columns[i], row.cells[i].value_or(msidb::Cell{}), pool);
    }
  }
  return true;
}

}  // namespace transform_writer
