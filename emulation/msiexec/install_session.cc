#include "emulation/msiexec/install_session.h"

#include <cstdlib>

#include "base/ascii.h"
#include "base/split.h"
#include "emulation/msiexec/component_registrations.h"
#include "emulation/msiexec/condition.h"
#include "emulation/msiexec/directory_tree.h"
#include "emulation/msiexec/formatted_text.h"
#include "emulation/msiexec/installer_codes.h"
#include "emulation/msiexec/script_stand_ins.h"
#include "emulation/msiexec/standard_actions.h"

namespace msiexec {
namespace {

// The parts of a custom action's type.
constexpr int kTypeBaseMask = 0x3F;
constexpr int kTypeSetProperty = 51;   // Source = formatted Target
constexpr int kTypeSetDirectory = 35;  // directory Source = formatted Target
constexpr int kTypeError = 19;         // ends the installation with Target as message
constexpr int kTypeJScriptBinary = 5;  // a JScript function of a Binary row
constexpr int kTypeContinueOnFailure = 0x40;

const CustomActionRow* findCustomAction(const PackageTables& tables, const std::string& action) {
  for (const CustomActionRow& row : tables.customActions) {
    if (row.action == action) return &row;
  }
  return nullptr;
}

}  // namespace

InstallSession::InstallSession(const InstallerPackage& package, const PackageTables& tables,
                               std::string packagePath, PropertyTable properties, InstallMode mode,
                               emulated::RegistryFile* registry, RollbackJournal* journal,
                               VerboseLog* log, const ConsoleProgress* progress)
    : package_(package),
      tables_(tables),
      packagePath_(std::move(packagePath)),
      properties_(std::move(properties)),
      mode_(mode),
      registry_(registry),
      journal_(journal),
      log_(log),
      progress_(progress) {}

uint32_t InstallSession::run() {
  const std::vector<SequenceRow>& sequence = tables_.installExecuteSequence;
  for (std::size_t i = 0; i < sequence.size(); ++i) {
    const SequenceRow& row = sequence[i];
    bool wanted = true;
    std::string error;
    if (!evaluateCondition(row.condition, properties_, &wanted, &error)) {
      fail("the condition of " + row.action + " (\"" + row.condition + "\") is invalid: " + error);
      return kInstallFailure;
    }
    if (!wanted) {
      log_->message("Skipping action: " + row.action + " (condition is false)");
      continue;
    }
    progress_->step(i, sequence.size(), row.action);
    log_->actionStart(row.action);
    const bool ok = runAction(row.action);
    log_->actionEnd(row.action, ok);
    // A log that cannot be written fails the installation, as it fails on
    // Windows.
    if (log_->failed()) return kLogFileFailure;
    if (!ok) return kInstallFailure;
  }
  return kSuccess;
}

bool InstallSession::runAction(const std::string& action) {
  if (const CustomActionRow* custom = findCustomAction(tables_, action)) {
    return runCustomAction(*custom);
  }
  if (action == "AppSearch") return appSearch();
  if (action == "LaunchConditions") return launchConditions();
  if (action == "CostFinalize") return costFinalize();
  if (action == "ProcessComponents") return processComponents();
  // The actions that place or take away what the components hold: each
  // belongs to either an installation or a removal, and has nothing to do in
  // the other kind of run.
  struct ChangingAction {
    const char* name;
    bool (InstallSession::*run)();
    bool inRemoval;
    const char* idle;  // what the log says in the other kind of run
  };
  static constexpr ChangingAction kChangingActions[] = {
      {"CreateFolders", &InstallSession::createFolders, false, "nothing to create in a removal"},
      {"InstallFiles", &InstallSession::installFiles, false, "nothing to install in a removal"},
      {"WriteRegistryValues", &InstallSession::writeRegistryValues, false,
       "nothing to write in a removal"},
      {"RemoveFiles", &InstallSession::removeFiles, true, "nothing to remove"},
      {"RemoveFolders", &InstallSession::removeFolders, true, "nothing to remove"},
      {"RemoveRegistryValues", &InstallSession::removeRegistryValues, true, "nothing to remove"},
  };
  for (const ChangingAction& changing : kChangingActions) {
    if (action != changing.name) continue;
    if (changing.inRemoval != (mode_ == InstallMode::kRemove)) {
      log_->message(action + ": " + changing.idle);
      return true;
    }
    return ensureCosted() && (this->*changing.run)();
  }
  if (action == "RegisterProduct" || action == "PublishProduct") {
    log_->message(action + (mode_ == InstallMode::kRemove
                                ? ": the product is unregistered when the removal commits"
                                : ": the product is registered when the installation commits"));
    return true;
  }
  if (isStandardAction(action)) {
    log_->message(action + ": nothing to do on this machine");
    return true;
  }
  return fail("the action " + action + " is neither a standard nor a custom action");
}

bool InstallSession::runCustomAction(const CustomActionRow& action) {
  const int base = action.type & kTypeBaseMask;
  switch (base) {
    case kTypeSetProperty: {
      const std::string value = format(action.target);
      log_->message("PROPERTY CHANGE: " + action.source + " = " + value);
      properties_.set(action.source, value);
      return true;
    }
    case kTypeSetDirectory: {
      std::string value = format(action.target);
      if (!value.empty()) value = withTrailingBackslash(value);
      log_->message("DIRECTORY CHANGE: " + action.source + " = " + value);
      properties_.set(action.source, value);
      if (costed_ && !value.empty()) directories_[action.source] = value;
      return true;
    }
    case kTypeError:
      return fail(format(action.target));
    case kTypeJScriptBinary: {
      const bool ok = runScriptAction(action);
      if (!ok && (action.type & kTypeContinueOnFailure)) {
        log_->message(action.action + " failed; its failure is ignored");
        return true;
      }
      return ok;
    }
    default:
      return fail("custom action " + action.action + " is of type " + std::to_string(action.type) +
                  ", which this installer cannot run");
  }
}

bool InstallSession::runScriptAction(const CustomActionRow& action) {
  std::string script;
  std::string error;
  if (!package_.readBinary(action.source, &script, &error)) return fail(error);
  // The stand-in must stand for a function the package's script has.
  if (script.find("function " + action.target + "(") == std::string::npos) {
    return fail("the script " + action.source + " has no function " + action.target);
  }
  ScriptStandIn standIn = findScriptStandIn(action.target);
  if (standIn == nullptr) {
    return fail("the script function " + action.target + " cannot run on this machine");
  }
  log_->message("Running the stand-in of script function " + action.target);
  if (!standIn(&properties_)) return fail("the script function " + action.target + " failed");
  return true;
}

bool InstallSession::fail(const std::string& reason) {
  log_->message("Error: " + reason);
  progress_->say("Error: " + reason);
  return false;
}

std::string InstallSession::format(std::string_view text) const {
  FormatSources sources;
  sources.properties = &properties_;
  sources.filePath = [this](std::string_view key) -> std::string {
    for (const FileRow& file : tables_.files) {
      if (file.file != key) continue;
      const std::string dir = componentDirectory(file.component);
      return dir.empty() ? "" : dir + longName(file.fileName);
    }
    return "";
  };
  sources.componentDirectory = [this](std::string_view key) {
    return componentDirectory(std::string(key));
  };
  return formatText(text, sources);
}

bool InstallSession::launchConditions() {
  for (const LaunchConditionRow& row : tables_.launchConditions) {
    bool met = true;
    std::string error;
    if (!evaluateCondition(row.condition, properties_, &met, &error)) {
      return fail("the launch condition \"" + row.condition + "\" is invalid: " + error);
    }
    if (!met) return fail(format(row.description));
  }
  return true;
}

bool InstallSession::costFinalize() {
  std::string error;
  if (!resolveDirectories(tables_.directories, &properties_, &directories_, &error)) {
    return fail(error);
  }
  for (const auto& [directory, path] : directories_) {
    log_->message("Dir (target): Key: " + directory + "\t, Object: " + path);
  }
  if (!selectComponents()) return false;
  costed_ = true;
  return true;
}

bool InstallSession::ensureCosted() { return costed_ || costFinalize(); }

const ComponentRow* InstallSession::componentRow(const std::string& name) const {
  for (const ComponentRow& component : tables_.components) {
    if (component.component == name) return &component;
  }
  return nullptr;
}

std::string InstallSession::componentDirectory(const std::string& component) const {
  const ComponentRow* row = componentRow(component);
  const auto dir = row != nullptr ? directories_.find(row->directory) : directories_.end();
  return dir == directories_.end() ? "" : dir->second;
}

bool InstallSession::fileTarget(const FileRow& file, std::string* directory, std::string* target) {
  *directory = componentDirectory(file.component);
  if (directory->empty()) return fail("the file " + file.file + " has no directory");
  *target = *directory + longName(file.fileName);
  return true;
}

bool InstallSession::selectComponents() {
  components_.clear();
  if (mode_ == InstallMode::kMaintenance) {
    log_->message("Maintenance without changes: no component is installed or removed");
    return true;
  }
  if (mode_ == InstallMode::kRemove) return selectComponentsToRemove();
  // The features installed by default; a reinstall names them (ALL) or a
  // list of them.
  int installLevel = 1;
  if (properties_.has("INSTALLLEVEL"))
    installLevel = std::atoi(properties_.get("INSTALLLEVEL").c_str());
  std::set<std::string> features;
  for (const FeatureRow& feature : tables_.features) {
    if (feature.level > 0 && feature.level <= installLevel) features.insert(feature.feature);
  }
  if (mode_ == InstallMode::kReinstall) {
    const std::string requested = properties_.get("REINSTALL");
    if (!ascii::equalsNoCase(requested, "ALL")) {
      std::set<std::string> chosen;
      for (const std::string_view piece : splitAt(requested, ",")) {
        const std::string name(piece);
        if (name.empty()) continue;
        if (!features.count(name)) return fail("REINSTALL names the unknown feature " + name);
        chosen.insert(name);
      }
      features = chosen;
    }
  }
  for (const FeatureComponentRow& link : tables_.featureComponents) {
    if (features.count(link.feature)) components_.insert(link.component);
  }
  for (const ComponentRow& component : tables_.components) {
    if (!components_.count(component.component)) continue;
    bool wanted = true;
    std::string error;
    if (!evaluateCondition(component.condition, properties_, &wanted, &error)) {
      return fail("the condition of component " + component.component + " is invalid: " + error);
    }
    if (!wanted) components_.erase(component.component);
    const std::string installed =
        mode_ == InstallMode::kFirstInstall ? "Installed: Absent;   " : "Installed: Local;   ";
    log_->message("Component: " + component.component + "; " + installed +
                  (wanted ? "Request: Local;   Action: Local" : "Request: Null;   Action: Null"));
  }
  return true;
}

bool InstallSession::selectComponentsToRemove() {
  const std::string product = properties_.get("ProductCode");
  for (const ComponentRow& component : tables_.components) {
    // A component goes with its last client. One without a registration
    // at all has none to keep it (a product installed before registrations
    // were kept).
    const std::vector<std::string> others =
        otherComponentClients(*registry_, component.componentId, product);
    if (others.empty()) {
      components_.insert(component.component);
      log_->message("Component: " + component.component +
                    "; Installed: Local;   Request: Absent;   Action: Absent");
    } else {
      log_->message("Component: " + component.component +
                    "; Installed: Local;   Request: Absent;   Action: Null (used by " +
                    std::to_string(others.size()) + " other client" +
                    (others.size() == 1 ? ")" : "s)"));
    }
  }
  return true;
}

bool InstallSession::rewritesRegistry(int root) const {
  if (mode_ == InstallMode::kFirstInstall) return true;
  if (mode_ == InstallMode::kMaintenance || mode_ == InstallMode::kRemove) return false;
  std::string modes = properties_.get("REINSTALLMODE");
  if (modes.empty()) modes = "omus";
  const int resolved = registryRoot(root);
  const bool perUser = resolved == 1 || resolved == 3;
  return ascii::findNoCase(modes, perUser ? "u" : "m") != std::string::npos;
}

}  // namespace msiexec
