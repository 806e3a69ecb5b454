// The components' side of a run: their registrations (ProcessComponents),
// and in a removal the files, folders and registry values of the components
// no other product uses (RemoveFiles, RemoveFolders, RemoveRegistryValues).
#include <algorithm>

#include "emulation/machine/registry_view.h"
#include "emulation/msiexec/component_registrations.h"
#include "emulation/msiexec/directory_tree.h"
#include "emulation/msiexec/install_session.h"

namespace msiexec {
namespace {

// HKEY_LOCAL_MACHINE\SOFTWARE and the like are never taken away, however
// empty a removal leaves them.
constexpr std::size_t kFewestNamesOfARemovableKey = 3;

std::size_t depthOf(const std::string& path) {
  return static_cast<std::size_t>(std::count(path.begin(), path.end(), '\\'));
}

}  // namespace

std::string InstallSession::componentKeyPath(const ComponentRow& component) const {
  const std::string folder = componentDirectory(component.component);
  if (component.keyPath.empty()) return folder;
  if (component.attributes & kComponentRegistryKeyPath) {
    for (const RegistryRow& row : tables_.registry) {
      if (row.registry != component.keyPath) continue;
      return registryKeyPathText(registryRoot(row.root),
                                 (component.attributes & kComponent64Bit) != 0, format(row.key),
                                 row.nameNull ? "" : format(row.name));
    }
    return folder;
  }
  for (const FileRow& file : tables_.files) {
    if (file.file == component.keyPath) return folder + longName(file.fileName);
  }
  return folder;
}

bool InstallSession::processComponents() {
  if (!ensureCosted()) return false;
  const std::string product = properties_.get("ProductCode");
  if (mode_ == InstallMode::kMaintenance) {
    log_->message("ProcessComponents: no component changes");
    return true;
  }
  for (const ComponentRow& component : tables_.components) {
    if (component.componentId.empty()) continue;
    if (mode_ == InstallMode::kRemove) {
      // The product no longer uses any of its components, also those that
      // stay for other products.
      removeComponentClient(registry_, component.componentId, product);
      log_->message("ProcessComponents: Component: " + component.component + ", client " + product +
                    " unregistered");
      continue;
    }
    if (!components_.count(component.component)) continue;
    const std::string keyPath = componentKeyPath(component);
    if (!addComponentClient(registry_, component.componentId, product, keyPath)) {
      return fail("the component " + component.component + " has no valid component code (\"" +
                  component.componentId + "\")");
    }
    if (component.attributes & kComponentPermanent) {
      addSystemClient(registry_, component.componentId);
    }
    log_->message("ProcessComponents: Component: " + component.component + ", client " + product +
                  ", key path " + keyPath);
  }
  return true;
}

void InstallSession::noteEmptiedDirectory(const std::string& directory) {
  auto rowOf = [this](const std::string& name) -> const DirectoryRow* {
    for (const DirectoryRow& row : tables_.directories) {
      if (row.directory == name) return &row;
    }
    return nullptr;
  };
  // A root (TARGETDIR) and its children (the machine's own folders, such as
  // ProgramFiles64Folder) stay; every directory below them may go.
  std::string current = directory;
  for (std::size_t step = 0; step <= tables_.directories.size(); ++step) {
    const DirectoryRow* row = rowOf(current);
    if (row == nullptr || row->parent.empty() || row->parent == current) break;
    const DirectoryRow* parent = rowOf(row->parent);
    if (parent == nullptr || parent->parent.empty()) break;
    auto path = directories_.find(current);
    if (path != directories_.end() &&
        std::find(emptiedDirectories_.begin(), emptiedDirectories_.end(), path->second) ==
            emptiedDirectories_.end()) {
      emptiedDirectories_.push_back(path->second);
    }
    current = row->parent;
  }
  // Children before their parents.
  std::stable_sort(
      emptiedDirectories_.begin(), emptiedDirectories_.end(),
      [](const std::string& a, const std::string& b) { return depthOf(a) > depthOf(b); });
}

bool InstallSession::removeFiles() {
  for (const FileRow& file : tables_.files) {
    if (!components_.count(file.component)) continue;
    std::string directory;
    std::string target;
    if (!fileTarget(file, &directory, &target)) return false;
    // The journal refuses a path that is not on one of the machine's drives.
    std::string error;
    if (!journal_->removeFile(target, &error))
      return fail("cannot remove " + target + ": " + error);
    log_->message("File: " + target + "; removed");
    progress_->say("  " + target);
  }
  for (const ComponentRow& component : tables_.components) {
    if (components_.count(component.component)) noteEmptiedDirectory(component.directory);
  }
  return true;
}

bool InstallSession::removeFolders() {
  for (const CreateFolderRow& row : tables_.createFolders) {
    if (components_.count(row.component)) noteEmptiedDirectory(row.directory);
  }
  return true;
}

void InstallSession::pruneEmptyKeys(std::string keyPath) {
  while (emulated::splitKeyPath(keyPath).size() >= kFewestNamesOfARemovableKey) {
    const emulated::RegistryKey* key = registry_->findKey(keyPath);
    if (key == nullptr || !key->values().empty() || !key->subkeys().empty()) return;
    registry_->deleteKey(keyPath);
    log_->message("RemoveRegistryValues: Key: " + keyPath + " removed, being empty");
    keyPath.resize(keyPath.find_last_of('\\'));
  }
}

bool InstallSession::removeRegistryValues() {
  for (const RegistryRow& row : tables_.registry) {
    if (!components_.count(row.component)) continue;
    std::string keyPath;
    if (!registryRowKey(row, &keyPath)) return false;
    const std::string name = row.nameNull ? "" : format(row.name);
    if (row.valueNull) {
      // "-" and "*" ask for the key and all below it to go with the
      // component; "+" and a row with neither name nor value only for the
      // key, when it is empty.
      if (name == "-" || name == "*") {
        if (registry_->deleteKey(keyPath)) {
          log_->message("RemoveRegistryValues: Key: " + keyPath + " removed with its subkeys");
        }
        pruneEmptyKeys(keyPath.substr(0, keyPath.find_last_of('\\')));
      } else {
        pruneEmptyKeys(keyPath);
      }
      continue;
    }
    if (registry_->deleteValue(keyPath, name)) {
      log_->message("RemoveRegistryValues: Key: " + keyPath + ", Name: " + name);
    }
    pruneEmptyKeys(keyPath);
  }
  return true;
}

}  // namespace msiexec
