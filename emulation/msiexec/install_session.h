#pragma once

#include <cstdint>
#include <map>
#include <set>
#include <string>
#include <string_view>
#include <vector>

#include "emulation/machine/registry_file.h"
#include "emulation/msiexec/console_progress.h"
#include "emulation/msiexec/installer_package.h"
#include "emulation/msiexec/package_tables.h"
#include "emulation/msiexec/property_table.h"
#include "emulation/msiexec/rollback_journal.h"
#include "emulation/msiexec/verbose_log.h"

// One run of the package's InstallExecuteSequence on the emulated machine.
// Files and folders go to the machine's disks as the sequence reaches
// InstallFiles and CreateFolders (and, in a removal, away from them at
// RemoveFiles), each written down in the rollback journal first, so that a
// run that fails or is stopped can be undone; registry values and the
// component registrations (ProcessComponents) go into the registry model
// that the caller commits in one piece when the run succeeded, so that such
// a run changes no registration.
namespace msiexec {

enum class InstallMode {
  kFirstInstall,  // the product code is not installed yet
  kReinstall,     // installed, with REINSTALL: rewrite per REINSTALLMODE
  kMaintenance,   // installed, nothing asked for: no component changes
  kRemove,        // installed, REMOVE=ALL or "/x": every component no other product uses goes
};

class InstallSession {
 public:
  InstallSession(const InstallerPackage& package, const PackageTables& tables,
                 std::string packagePath, PropertyTable properties, InstallMode mode,
                 emulated::RegistryFile* registry, RollbackJournal* journal, VerboseLog* log,
                 const ConsoleProgress* progress);

  // 0, kInstallFailure after the failing step has been logged, or
  // kLogFileFailure once the log could not be written.
  uint32_t run();

  const PropertyTable& properties() const { return properties_; }

  // After a removal: the directories of the components that went, deepest
  // first, each to be removed when it is empty. The caller hands them to the
  // journal, which removes them after the commit, once the files kept aside
  // for a rollback are gone.
  const std::vector<std::string>& emptiedDirectories() const { return emptiedDirectories_; }

 private:
  bool runAction(const std::string& action);
  bool runCustomAction(const CustomActionRow& action);
  bool runScriptAction(const CustomActionRow& action);
  bool fail(const std::string& reason);
  std::string format(std::string_view text) const;

  // Standard actions this installer carries out.
  bool appSearch();
  bool launchConditions();
  bool costFinalize();
  bool processComponents();
  // Those that change the machine: runAction calls each only in its kind of
  // run (an installation or a removal), once the costing is done.
  bool createFolders();
  bool installFiles();
  bool writeRegistryValues();
  bool removeFiles();
  bool removeFolders();
  bool removeRegistryValues();

  bool ensureCosted();
  // The component row of that name, or null.
  const ComponentRow* componentRow(const std::string& name) const;
  // The Windows path of the directory a component's files go to, or empty.
  std::string componentDirectory(const std::string& component) const;
  // Where a file of the package goes: its directory and its own path; false
  // (after fail) when its component has no directory.
  bool fileTarget(const FileRow& file, std::string* directory, std::string* target);
  bool selectComponents();
  bool selectComponentsToRemove();
  bool cabinetFiles(const FileRow& file, const std::map<std::string, std::string>** files);
  // A table's registry root with -1 resolved: per-machine (2) when ALLUSERS
  // is set, else per-user (1).
  int registryRoot(int root) const;
  // The registry key path of a table's root and key, in the view of a 64-bit
  // or a 32-bit component; empty for an unknown root.
  std::string registryKeyPath(int root, const std::string& key, bool is64Bit) const;
  // The key a Registry row names, in the view of its component; false
  // (after fail) for an unknown root.
  bool registryRowKey(const RegistryRow& row, std::string* keyPath);
  bool rewritesFile(const std::string& hostPath, const std::string& content) const;
  bool rewritesRegistry(int root) const;
  // The component's key path as its registration records it.
  std::string componentKeyPath(const ComponentRow& component) const;
  // The directory's path and those of its parents, up to the folders the
  // machine provides (the children of a root), into emptiedDirectories_.
  void noteEmptiedDirectory(const std::string& directory);
  // Deletes the key when it holds nothing any more, and so each parent.
  void pruneEmptyKeys(std::string keyPath);

  const InstallerPackage& package_;
  const PackageTables& tables_;
  std::string packagePath_;
  PropertyTable properties_;
  InstallMode mode_;
  emulated::RegistryFile* registry_;
  RollbackJournal* journal_;
  VerboseLog* log_;
  const ConsoleProgress* progress_;

  bool costed_ = false;
  std::map<std::string, std::string> directories_;
  std::set<std::string> components_;  // those this run installs, or removes
  std::vector<std::string> emptiedDirectories_;
  std::map<std::string, std::map<std::string, std::string>> cabinets_;
};

}  // namespace msiexec
