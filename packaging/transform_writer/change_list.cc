#include "packaging/transform_writer/change_list.h"

#include <cerrno>
#include <climits>
#include <cstdlib>

namespace transform_writer {
namespace {

std::vector<std::string> splitFields(std::string_view line) {
  std::vector<std::string> fields;
  std::size_t start = 0;
  for (;;) {
    const std::size_t tab = line.find('\t', start);
    fields.emplace_back(line.substr(start, tab - start));
    if (tab == std::string_view::npos) return fields;
    start = tab + 1;
  }
}

// The cell a text gives in the column: null for an empty text, else a
// number of the column's width or the text itself.
bool cellOf(const msidb::Column& column, const std::string& text, msidb::Cell* cell,
            std::string* error) {
  if (text.empty()) {
    if (!msidb::isNullableColumn(column.type) || msidb::isKeyColumn(column.type)) {
      *error = "the column " + column.name + " cannot be null";
      return false;
    }
    *cell = msidb::Cell{};
    return true;
  }
  if (msidb::isStringColumn(column.type)) {
    *cell = msidb::Cell::ofText(text);
    return true;
  }
  if (msidb::isObjectColumn(column.type)) {
    *error = "the column " + column.name + " holds streams, which this writer does not change";
    return false;
  }
  errno = 0;
  char* end = nullptr;
  const long long value = std::strtoll(text.c_str(), &end, 10);
  const long long limit = msidb::isShortColumn(column.type) ? 32767 : INT_MAX;
  // The lowest value of each width stands for null.
  if (errno != 0 || *end != '\0' || value > limit || value < -limit) {
    *error = "\"" + text + "\" is no number for the column " + column.name;
    return false;
  }
  *cell = msidb::Cell::ofNumber(static_cast<int32_t>(value));
  return true;
}

bool parseLine(const std::vector<std::string>& fields, const msidb::Tables& package,
               std::string* table, msidb::RowChange* change, std::string* error) {
  if (fields.size() < 3) {
    *error = "a change needs an operation, a table and its keys";
    return false;
  }
  const std::string& operation = fields[0];
  if (operation == "add") {
    change->kind = msidb::ChangeKind::kAdd;
  } else if (operation == "change") {
    change->kind = msidb::ChangeKind::kUpdate;
  } else if (operation == "delete") {
    change->kind = msidb::ChangeKind::kDelete;
  } else {
    *error = "unknown operation \"" + operation + "\"";
    return false;
  }
  *table = fields[1];
  auto found = package.find(*table);
  if (found == package.end()) {
    *error = "the package has no table " + *table;
    return false;
  }
  const msidb::Table& schema = found->second;
  change->cells.assign(schema.columns.size(), std::nullopt);
  std::size_t field = 2;
  for (std::size_t i = 0; i < schema.columns.size(); ++i) {
    if (!msidb::isKeyColumn(schema.columns[i].type)) continue;
    if (field == fields.size()) {
      *error = "the key " + schema.columns[i].name + " is missing";
      return false;
    }
    msidb::Cell cell;
    if (!cellOf(schema.columns[i], fields[field++], &cell, error)) return false;
    change->cells[i] = std::move(cell);
  }
  for (; field < fields.size(); ++field) {
    const std::size_t equals = fields[field].find('=');
    const int column =
        equals == std::string::npos ? -1 : schema.columnIndex(fields[field].substr(0, equals));
    if (column < 0) {
      *error = "\"" + fields[field] + "\" names no column of " + *table;
      return false;
    }
    const msidb::Column& target = schema.columns[static_cast<std::size_t>(column)];
    if (msidb::isKeyColumn(target.type) || change->cells[column]) {
      *error = "the column " + target.name + " is given twice";
      return false;
    }
    msidb::Cell cell;
    if (!cellOf(target, fields[field].substr(equals + 1), &cell, error)) return false;
    change->cells[column] = std::move(cell);
  }
  return true;
}

}  // namespace

bool ChangeSet::add(const std::string& table, msidb::RowChange change, std::string* error) {
  auto found = package_.find(table);
  if (found == package_.end()) {
    *error = "the package has no table " + table;
    return false;
  }
  const msidb::Table& schema = found->second;
  if (change.cells.size() != schema.columns.size()) {
    *error = "a change of " + table + " does not fit its columns";
    return false;
  }
  msidb::Row key(schema.columns.size());
  std::size_t given = 0;
  for (std::size_t i = 0; i < key.size(); ++i) {
    if (!change.cells[i]) continue;
    if (msidb::isKeyColumn(schema.columns[i].type)) {
      key[i] = *change.cells[i];
    } else {
      ++given;
    }
  }
  const bool exists = schema.findRow(key) != nullptr;
  switch (change.kind) {
    case msidb::ChangeKind::kAdd:
      if (exists) {
        *error = "the row to add is in " + table + " already";
        return false;
      }
      for (std::size_t i = 0; i < key.size(); ++i) {
        if (change.cells[i]) continue;
        if (!msidb::isNullableColumn(schema.columns[i].type)) {
          *error = "an added row needs a value for " + schema.columns[i].name;
          return false;
        }
        change.cells[i] = msidb::Cell{};
      }
      break;
    case msidb::ChangeKind::kUpdate:
      if (!exists) {
        *error = "the row to change is not in " + table;
        return false;
      }
      if (given == 0) {
        *error = "a change needs a column to change";
        return false;
      }
      break;
    case msidb::ChangeKind::kDelete:
      if (!exists) {
        *error = "the row to delete is not in " + table;
        return false;
      }
      if (given != 0) {
        *error = "a deleted row takes no values";
        return false;
      }
      break;
  }
  if (!changedRows_.insert(table + '\0' + schema.keyOf(key)).second) {
    *error = "the row is changed twice in " + table;
    return false;
  }
  for (msidb::TableChanges& existing : changes_) {
    if (existing.table == table) {
      existing.rows.push_back(std::move(change));
      return true;
    }
  }
  changes_.push_back({table, {std::move(change)}});
  return true;
}

bool parseChangeList(std::string_view text, const msidb::Tables& package,
                     std::vector<msidb::TableChanges>* changes, std::string* error) {
  ChangeSet set(package);
  std::size_t lineNumber = 0;
  std::size_t start = 0;
  while (start < text.size()) {
    std::size_t end = text.find('\n', start);
    if (end == std::string_view::npos) end = text.size();
    std::string_view line = text.substr(start, end - start);
    start = end + 1;
    ++lineNumber;
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    if (line.empty() || line[0] == '#') continue;
    std::string table;
    msidb::RowChange change;
    std::string reason;
    if (!parseLine(splitFields(line), package, &table, &change, &reason) ||
        !set.add(table, std::move(change), &reason)) {
      *error = "line " + std::to_string(lineNumber) + ": " + reason;
      return false;
    }
  }
  *changes = set.changes();
  return true;
}

}  // namespace transform_writer
