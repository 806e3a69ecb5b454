#include "emulation/msiexec/installer_package.h"

#include <algorithm>
#include <functional>
#include <initializer_list>

#include "emulation/msiexec/package_structure.h"

namespace msiexec {
namespace {

// The selected columns of one row, by their place in the selection.
class Fields {
 public:
  Fields(const msidb::Row& row, const std::vector<int>& index) : row_(row), index_(index) {}
  std::string text(std::size_t i, bool* isNull = nullptr) const {
    const msidb::Cell& cell = row_[static_cast<std::size_t>(index_[i])];
    if (isNull) *isNull = cell.null;
    return cell.null ? std::string() : cell.text;
  }
  int number(std::size_t i) const {
    const msidb::Cell& cell = row_[static_cast<std::size_t>(index_[i])];
    return cell.null ? 0 : cell.number;
  }

 private:
  const msidb::Row& row_;
  const std::vector<int>& index_;
};

// Hands every row of a table to onRow with the columns named. A table the
// package lacks has no rows, or is an error when it is required.
bool select(const msidb::Tables& tables, const std::string& name, bool required,
            std::initializer_list<const char*> columns,
            const std::function<void(const Fields&)>& onRow, std::string* error) {
  auto found = tables.find(name);
  if (found == tables.end()) {
    if (required && error) *error = "the package has no " + name + " table";
    return !required;
  }
  const msidb::Table& table = found->second;
  std::vector<int> index;
  for (const char* column : columns) {
    const int at = table.columnIndex(column);
    if (at < 0) {
      if (error) *error = "the " + name + " table has no column " + column;
      return false;
    }
    index.push_back(at);
  }
  for (const msidb::Row& row : table.rows) onRow(Fields(row, index));
  return true;
}

}  // namespace

std::unique_ptr<InstallerPackage> InstallerPackage::open(const std::string& hostPath,
                                                         std::string* error) {
  std::string damage;
  if (!isSoundPackageFile(hostPath, &damage)) {
    if (error) *error = damage;
    return nullptr;
  }
  std::unique_ptr<InstallerPackage> package(new InstallerPackage());
  package->file_ = msidb::PackageFile::open(hostPath, error);
  if (!package->file_ || !package->file_->readTables(&package->tables_, error)) return nullptr;
  return package;
}

bool InstallerPackage::readPackageTables(const msidb::Tables& d, PackageTables* t,
                                         std::string* error) {
  *t = PackageTables{};
  constexpr bool kRequired = true;
  constexpr bool kOptional = false;
  bool ok =
      select(
          d, "Property", kRequired, {"Property", "Value"},
          [&](const Fields& r) { t->properties[r.text(0)] = r.text(1); }, error) &&
      select(
          d, "Directory", kRequired, {"Directory", "Directory_Parent", "DefaultDir"},
          [&](const Fields& r) {
            t->directories.push_back({r.text(0), r.text(1), r.text(2)});
          },
          error) &&
      select(
          d, "Component", kRequired,
          {"Component", "ComponentId", "Directory_", "Attributes", "Condition", "KeyPath"},
          [&](const Fields& r) {
            t->components.push_back(
                {r.text(0), r.text(1), r.text(2), r.number(3), r.text(4), r.text(5)});
          },
          error) &&
      select(
          d, "File", kRequired, {"File", "Component_", "FileName", "Sequence"},
          [&](const Fields& r) {
            t->files.push_back({r.text(0), r.text(1), r.text(2), r.number(3)});
          },
          error) &&
      select(
          d, "InstallExecuteSequence", kRequired, {"Action", "Condition", "Sequence"},
          [&](const Fields& r) {
            t->installExecuteSequence.push_back({r.text(0), r.text(1), r.number(2)});
          },
          error) &&
      select(
          d, "Registry", kOptional, {"Registry", "Root", "Key", "Name", "Value", "Component_"},
          [&](const Fields& r) {
            RegistryRow row;
            row.registry = r.text(0);
            row.root = r.number(1);
            row.key = r.text(2);
            row.name = r.text(3, &row.nameNull);
            row.value = r.text(4, &row.valueNull);
            row.component = r.text(5);
            t->registry.push_back(std::move(row));
          },
          error) &&
      select(
          d, "CustomAction", kOptional, {"Action", "Type", "Source", "Target"},
          [&](const Fields& r) {
            t->customActions.push_back({r.text(0), r.number(1), r.text(2), r.text(3)});
          },
          error) &&
      select(
          d, "Feature", kOptional, {"Feature", "Feature_Parent", "Level"},
          [&](const Fields& r) {
            t->features.push_back({r.text(0), r.text(1), r.number(2)});
          },
          error) &&
      select(
          d, "FeatureComponents", kOptional, {"Feature_", "Component_"},
          [&](const Fields& r) {
            t->featureComponents.push_back({r.text(0), r.text(1)});
          },
          error) &&
      select(
          d, "Media", kOptional, {"DiskId", "LastSequence", "Cabinet"},
          [&](const Fields& r) {
            t->media.push_back({r.number(0), r.number(1), r.text(2)});
          },
          error) &&
      select(
          d, "AppSearch", kOptional, {"Property", "Signature_"},
          [&](const Fields& r) {
            t->appSearch.push_back({r.text(0), r.text(1)});
          },
          error) &&
      select(
          d, "RegLocator", kOptional, {"Signature_", "Root", "Key", "Name", "Type"},
          [&](const Fields& r) {
            RegLocatorRow row;
            row.signature = r.text(0);
            row.root = r.number(1);
            row.key = r.text(2);
            row.name = r.text(3, &row.nameNull);
            row.type = r.number(4);
            t->regLocators.push_back(std::move(row));
          },
          error) &&
      select(
          d, "CreateFolder", kOptional, {"Directory_", "Component_"},
          [&](const Fields& r) {
            t->createFolders.push_back({r.text(0), r.text(1)});
          },
          error) &&
      select(
          d, "LaunchCondition", kOptional, {"Condition", "Description"},
          [&](const Fields& r) {
            t->launchConditions.push_back({r.text(0), r.text(1)});
          },
          error);
  if (!ok) return false;
  std::stable_sort(
      t->installExecuteSequence.begin(), t->installExecuteSequence.end(),
      [](const SequenceRow& a, const SequenceRow& b) { return a.sequence < b.sequence; });
  std::stable_sort(t->media.begin(), t->media.end(), [](const MediaRow& a, const MediaRow& b) {
    return a.lastSequence < b.lastSequence;
  });
  return true;
}

}  // namespace msiexec
