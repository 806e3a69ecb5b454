#pragma once

#include <cstddef>
#include <cstdint>
#include <map>
#include <string>
#include <string_view>
#include <vector>

#include "packaging/msidb/column_type.h"

// The tables of an installer package as plain data: each table's columns in
// order with their type words, and its rows as cells. Texts are UTF-8.
namespace msidb {

struct Column {
  std::string name;
  uint32_t type = 0;  // see column_type.h
};

// One value: null, a number (integer columns) or a text (string columns).
struct Cell {
  bool null = true;
  int32_t number = 0;
  std::string text;

  static Cell ofNumber(int32_t value) { return Cell{false, value, {}}; }
  static Cell ofText(std::string value) {
    // An empty text is stored as null, as the string pool has no empty
    // string.
    const bool empty = value.empty();
    return Cell{empty, 0, std::move(value)};
  }
  bool operator==(const Cell& other) const {
    return null == other.null && (null || (number == other.number && text == other.text));
  }
  bool operator!=(const Cell& other) const { return !(*this == other); }
};

using Row = std::vector<Cell>;

struct Table {
  std::string name;
  std::vector<Column> columns;
  std::vector<Row> rows;

  // The index of the column, or -1.
  int columnIndex(std::string_view column) const {
    for (std::size_t i = 0; i < columns.size(); ++i) {
      if (columns[i].name == column) return static_cast<int>(i);
    }
    return -1;
  }
  // The row's primary key as one text, equal for rows with equal keys.
  std::string keyOf(const Row& row) const {
    std::string key;
    for (std::size_t i = 0; i < columns.size() && i < row.size(); ++i) {
      if (!isKeyColumn(columns[i].type)) continue;
      const Cell& cell = row[i];
      key += cell.null                         ? "N"
             : isStringColumn(columns[i].type) ? "S" + cell.text
                                               : "I" + std::to_string(cell.number);
      key += '\0';
    }
    return key;
  }
  // Whether two rows carry the same primary key.
  bool sameKey(const Row& a, const Row& b) const {
    for (std::size_t i = 0; i < columns.size() && i < a.size() && i < b.size(); ++i) {
      if (isKeyColumn(columns[i].type) && a[i] != b[i]) return false;
    }
    return true;
  }
  // The row whose key equals the key columns of probe, or null.
  Row* findRow(const Row& probe) {
    for (Row& row : rows) {
      if (sameKey(row, probe)) return &row;
    }
    return nullptr;
  }
  const Row* findRow(const Row& probe) const { return const_cast<Table*>(this)->findRow(probe); }
};

// The tables by name; names compare with letter case, as table names do.
using Tables = std::map<std::string, Table>;

}  // namespace msidb
