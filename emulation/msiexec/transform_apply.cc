#include "emulation/msiexec/transform_apply.h"

#include <unordered_map>
#include <vector>

namespace msiexec {
namespace {

// The row's key as text, for messages.
std::string keyText(const msidb::Table& table, const msidb::RowChange& change) {
  std::string text;
  for (std::size_t i = 0; i < table.columns.size() && i < change.cells.size(); ++i) {
    if (!msidb::isKeyColumn(table.columns[i].type) || !change.cells[i]) continue;
    const msidb::Cell& cell = *change.cells[i];
    if (!text.empty()) text += ", ";
    text += cell.null ? "null" : cell.text.empty() ? std::to_string(cell.number) : cell.text;
  }
  return text;
}

}  // namespace

bool applyTransform(const msidb::TransformContent& transform, msidb::Tables* tables,
                    std::string* error) {
  for (const msidb::TableChanges& changes : transform.tables) {
    auto found = tables->find(changes.table);
    if (found == tables->end()) {
      if (error) *error = "the package has no table " + changes.table;
      return false;
    }
    msidb::Table& table = found->second;
    // Rows by key, so that a transform of many rows costs no more than
    // reading it; deleted rows leave the table at the end.
    std::unordered_map<std::string, std::size_t> rowOfKey;
    for (std::size_t i = 0; i < table.rows.size(); ++i) rowOfKey[table.keyOf(table.rows[i])] = i;
    std::vector<bool> deleted(table.rows.size(), false);
    for (const msidb::RowChange& change : changes.rows) {
      if (change.cells.size() != table.columns.size()) {
        if (error) *error = "a change of " + table.name + " does not fit its columns";
        return false;
      }
      msidb::Row probe(table.columns.size());
      for (std::size_t i = 0; i < probe.size(); ++i) {
        if (change.cells[i]) probe[i] = *change.cells[i];
      }
      const std::string key = table.keyOf(probe);
      const auto row = rowOfKey.find(key);
      const auto fail = [&](const char* what) {
        if (error) {
          *error = std::string(what) + " " + table.name + " (" + keyText(table, change) + ")";
        }
        return false;
      };
      switch (change.kind) {
        case msidb::ChangeKind::kAdd:
          if (row != rowOfKey.end()) return fail("it adds a row that exists already to");
          rowOfKey.emplace(key, table.rows.size());
          table.rows.push_back(std::move(probe));
          deleted.push_back(false);
          break;
        case msidb::ChangeKind::kDelete:
          if (row == rowOfKey.end()) return fail("it deletes a row that does not exist from");
          deleted[row->second] = true;
          rowOfKey.erase(row);
          break;
        case msidb::ChangeKind::kUpdate:
          if (row == rowOfKey.end()) return fail("it changes a row that does not exist in");
          for (std::size_t i = 0; i < probe.size(); ++i) {
            if (change.cells[i]) table.rows[row->second][i] = *change.cells[i];
          }
          break;
      }
    }
    std::size_t kept = 0;
    for (std::size_t i = 0; i < table.rows.size(); ++i) {
      if (deleted[i]) continue;
      if (kept != i) table.rows[kept] = std::move(table.rows[i]);
      ++kept;
    }
    table.rows.resize(kept);
  }
  return true;
}

}  // namespace msiexec
