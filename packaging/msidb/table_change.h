#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "packaging/msidb/table_data.h"

// What a transform does to a package's tables: rows added whole, rows
// changed in some of their columns, rows deleted. Rows are named by their
// key columns. The transform writer makes transforms from these; the
// installer reads transforms back into them and applies them.
namespace msidb {

enum class ChangeKind { kAdd, kUpdate, kDelete };

struct RowChange {
  ChangeKind kind = ChangeKind::kUpdate;
  // One entry per column of the table: the key columns always, every column
  // for an added row, the changed columns of an update, and nothing else
  // (nullopt).
  std::vector<std::optional<Cell>> cells;

  bool operator==(const RowChange& other) const {
    return kind == other.kind && cells == other.cells;
  }
};

struct TableChanges {
  std::string table;
  std::vector<RowChange> rows;

  bool operator==(const TableChanges& other) const {
    return table == other.table && rows == other.rows;
  }
};

struct TransformContent {
  // The code page of the transform's texts; 0 is neutral (plain ASCII).
  uint32_t codePage = 0;
  std::vector<TableChanges> tables;
};

}  // namespace msidb
