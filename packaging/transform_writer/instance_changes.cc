#include "packaging/transform_writer/instance_changes.h"

#include "installed/product_catalogue.h"
#include "packaging/transform_writer/change_list.h"

namespace transform_writer {
namespace {

bool slotCode(const std::string& base, uint32_t slot, std::string* code, std::string* error) {
  char out[kProductCodeSize] = {};
  if (MakeInstanceProductCode(base.c_str(), slot, out) != 0) {
    *error = "\"" + base + "\" is no GUID";
    return false;
  }
  *code = out;
  return true;
}

// Whether the directory is ownDirectory or lies below it.
bool isWithin(const msidb::Table& directories, const std::string& directory,
              const std::string& ownDirectory) {
  std::string current = directory;
  // A parent chain is never longer than the table; a longer one is a loop.
  for (std::size_t step = 0; step <= directories.rows.size() && !current.empty(); ++step) {
    if (current == ownDirectory) return true;
    std::string parent;
    for (const msidb::Row& row : directories.rows) {
      if (row[0].text == current) parent = row[1].null ? "" : row[1].text;
    }
    if (parent == current) return false;
    current = parent;
  }
  return false;
}

msidb::RowChange updateOf(const msidb::Table& table, const std::string& key,
                          const std::string& column, const std::string& value) {
  msidb::RowChange change;
  change.kind = msidb::ChangeKind::kUpdate;
  change.cells.assign(table.columns.size(), std::nullopt);
  change.cells[0] = msidb::Cell::ofText(key);
  change.cells[static_cast<std::size_t>(table.columnIndex(column))] = msidb::Cell::ofText(value);
  return change;
}

}  // namespace

bool instanceChanges(const msidb::Tables& package, uint32_t slot, const std::string& ownDirectory,
                     std::vector<msidb::TableChanges>* changes, std::string* error) {
  changes->clear();
  if (slot < kFirstInstance || slot > kLastInstance) {
    *error = "instance slots are " + std::to_string(kFirstInstance) + " to " +
             std::to_string(kLastInstance);
    return false;
  }
  const auto properties = package.find("Property");
  const auto components = package.find("Component");
  const auto directories = package.find("Directory");
  if (properties == package.end() || components == package.end() || directories == package.end() ||
      components->second.columnIndex("ComponentId") != 1 ||
      components->second.columnIndex("Directory_") != 2) {
    *error = "the package lacks the Property, Component or Directory table";
    return false;
  }
  bool known = false;
  for (const msidb::Row& row : directories->second.rows)
    known = known || row[0].text == ownDirectory;
  if (!known) {
    *error = "the package has no directory " + ownDirectory;
    return false;
  }

  std::string baseCode;
  for (const msidb::Row& row : properties->second.rows) {
    if (row[0].text == "ProductCode") baseCode = row[1].text;
  }
  ChangeSet set(package);
  std::string code;
  if (!slotCode(baseCode, slot, &code, error) ||
      !set.add("Property", updateOf(properties->second, "ProductCode", "Value", code), error)) {
    return false;
  }
  for (const msidb::Row& row : components->second.rows) {
    // A component without a component code is never registered, so it
    // needs none of its own.
    if (row[1].null || !isWithin(directories->second, row[2].text, ownDirectory)) continue;
    if (!slotCode(row[1].text, slot, &code, error) ||
        !set.add("Component", updateOf(components->second, row[0].text, "ComponentId", code),
                 error)) {
      return false;
    }
  }
  *changes = set.changes();
  return true;
}

}  // namespace transform_writer
