#include "emulation/msiexec/transform_records.h"

#include <cstdint>

namespace msiexec {
namespace {

constexpr uint16_t kAddedRowFlag = 0x0001;

class RecordReader {
 public:
  explicit RecordReader(std::string_view bytes) : bytes_(bytes) {}

  bool atEnd() const { return at_ == bytes_.size(); }
  // The next little-endian number of the given width, or false when the
  // stream ends first.
  bool take(std::size_t width, uint32_t* value) {
    if (width > bytes_.size() - at_) return false;
    uint32_t v = 0;
    for (std::size_t i = 0; i < width; ++i) {
      v |= static_cast<uint32_t>(static_cast<uint8_t>(bytes_[at_ + i])) << (8 * i);
    }
    at_ += width;
    *value = v;
    return true;
  }
  std::size_t offset() const { return at_; }

 private:
  std::string_view bytes_;
  std::size_t at_ = 0;
};

bool refuse(std::string* error, const msidb::Table& schema, std::size_t offset,
            const std::string& reason) {
  if (error) {
    *error = "table " + schema.name + ", byte " + std::to_string(offset) + ": " + reason;
  }
  return false;
}

// Reads the value of one column into *cell.
bool readCell(RecordReader* reader, const msidb::Column& column, const StringPool& pool,
              msidb::Cell* cell, std::string* reason) {
  uint32_t raw = 0;
  if (msidb::isObjectColumn(column.type)) {
    *reason = "the column " + column.name + " holds streams, which transforms here cannot change";
    return false;
  }
  if (msidb::isStringColumn(column.type)) {
    if (!reader->take(pool.bytesPerReference, &raw)) {
      *reason = "the row ends early";
      return false;
    }
    if (raw == 0) {
      *cell = msidb::Cell{};
    } else if (raw > pool.strings.size()) {
      *reason = "string " + std::to_string(raw) + " is not in the string pool";
      return false;
    } else {
      *cell = msidb::Cell::ofText(pool.strings[raw - 1]);
    }
    return true;
  }
  const bool isShort = msidb::isShortColumn(column.type);
  if (!reader->take(isShort ? 2 : 4, &raw)) {
    *reason = "the row ends early";
    return false;
  }
  if (raw == 0) {
    *cell = msidb::Cell{};
  } else if (isShort) {
    *cell = msidb::Cell::ofNumber(static_cast<int16_t>(static_cast<uint16_t>(raw ^ 0x8000u)));
  } else {
    *cell = msidb::Cell::ofNumber(static_cast<int32_t>(raw ^ 0x80000000u));
  }
  return true;
}

}  // namespace

bool decodeTableStream(std::string_view stream, const msidb::Table& schema, const StringPool& pool,
                       msidb::TableChanges* out, std::string* error) {
  *out = msidb::TableChanges{};
  out->table = schema.name;
  const std::size_t columns = schema.columns.size();
  RecordReader reader(stream);
  while (!reader.atEnd()) {
    const std::size_t start = reader.offset();
    uint32_t mask = 0;
    if (!reader.take(2, &mask)) return refuse(error, schema, start, "a mask is cut short");
    msidb::RowChange row;
    row.cells.assign(columns, std::nullopt);
    std::size_t present = columns;  // columns that follow, from the first on
    if ((mask & kAddedRowFlag) != 0) {
      row.kind = msidb::ChangeKind::kAdd;
      present = mask >> 8;
      if (present == 0 || present > columns) {
        return refuse(error, schema, start,
                      "an added row of " + std::to_string(present) + " columns");
      }
    } else {
      row.kind = mask == 0 ? msidb::ChangeKind::kDelete : msidb::ChangeKind::kUpdate;
      if (columns > kMaskedColumnLimit || (mask >> columns) != 0) {
        return refuse(error, schema, start, "a changed row names columns the table lacks");
      }
    }
    for (std::size_t i = 0; i < columns; ++i) {
      const msidb::Column& column = schema.columns[i];
      const bool key = msidb::isKeyColumn(column.type);
      bool carried = false;
      if (row.kind == msidb::ChangeKind::kAdd) {
        carried = i < present;
      } else {
        carried = key || (mask & (1u << i)) != 0;
      }
      if (!carried) {
        // An added row's columns past those given are null.
        if (row.kind == msidb::ChangeKind::kAdd) row.cells[i] = msidb::Cell{};
        if (key) return refuse(error, schema, start, "a row without its key " + column.name);
        continue;
      }
      msidb::Cell cell;
      std::string reason;
      if (!readCell(&reader, column, pool, &cell, &reason)) {
        return refuse(error, schema, start, reason);
      }
      row.cells[i] = std::move(cell);
    }
    out->rows.push_back(std::move(row));
  }
  return true;
}

}  // namespace msiexec
