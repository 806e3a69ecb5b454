#include "emulation/msiexec/installer_run.h"

#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <set>
#include <thread>

#include "base/ascii.h"
#include "base/fixed_text.h"
#include "base/split.h"
#include "emulation/machine/code_page.h"
#include "emulation/machine/host_files.h"
#include "emulation/machine/machine.h"
#include "emulation/msiexec/console_progress.h"
#include "emulation/msiexec/directory_tree.h"
#include "emulation/msiexec/install_session.h"
#include "emulation/msiexec/installer_codes.h"
#include "emulation/msiexec/installer_lock.h"
#include "emulation/msiexec/installer_options.h"
#include "emulation/msiexec/installer_package.h"
#include "emulation/msiexec/library_messages.h"
#include "emulation/msiexec/product_registration.h"
#include "emulation/msiexec/rollback_journal.h"
#include "emulation/msiexec/transforms.h"
#include "emulation/msiexec/verbose_log.h"
#include "platform/platform.h"

namespace msiexec {
namespace {

// The package's full Windows path, with the doubled backslashes that a
// composed path may hold made single, as Windows makes them.
std::string fullPackagePath(const std::string& given) {
  std::string path = given;
  if (!isFullPath(path)) {
    char cwd[kPathCapacity] = {};
    const uint32_t length = platform::getCurrentDirectory(sizeof cwd, cwd);
    if (length > 0 && length < sizeof cwd) {
      std::string dir = emulated::ansiToUtf8(cwd);
      if (dir.back() != '\\') dir += '\\';
      path = dir + path;
    }
  }
  std::string collapsed;
  for (std::size_t i = 0; i < path.size(); ++i) {
    if (path[i] == '\\' && i > 0 && path[i - 1] == '\\' && i != 1) continue;
    collapsed += path[i];
  }
  return collapsed;
}

// Windows Installer's message for 1605.
constexpr const char* kOnlyForInstalledProducts =
    "This action is only valid for products that are currently installed.";

// Where Windows Installer keeps the packages of installed products.
constexpr const char* kPackageCache = "C:\\Windows\\Installer\\";

std::string upper(std::string text) {
  for (char& c : text) c = ascii::toUpper(c);
  return text;
}

// The folders of the emulated machine that a package may refer to by their
// standard property names.
void setSystemProperties(PropertyTable* p) {
  const std::string user = "C:\\Users\\" + emulated::hostUserName() + "\\";
  const std::pair<const char*, std::string> folders[] = {
      {"ROOTDRIVE", "C:\\"},
      {"WindowsVolume", "C:\\"},
      {"WindowsFolder", "C:\\Windows\\"},
      {"System64Folder", "C:\\Windows\\system32\\"},
      {"SystemFolder", "C:\\Windows\\SysWOW64\\"},
      {"TempFolder", "C:\\Windows\\Temp\\"},
      {"ProgramFiles64Folder", "C:\\Program Files\\"},
      {"ProgramFilesFolder", "C:\\Program Files (x86)\\"},
      {"CommonFiles64Folder", "C:\\Program Files\\Common Files\\"},
      {"CommonFilesFolder", "C:\\Program Files (x86)\\Common Files\\"},
      {"CommonAppDataFolder", "C:\\ProgramData\\"},
      {"PersonalFolder", user + "Documents\\"},
      {"AppDataFolder", user + "AppData\\Roaming\\"},
      {"LocalAppDataFolder", user + "AppData\\Local\\"},
      {"DesktopFolder", user + "Desktop\\"},
      {"VersionNT", "603"},
      {"VersionNT64", "603"},
      {"Msix64", "603"},
      {"LogonUser", emulated::hostUserName()},
  };
  for (const auto& [name, value] : folders) p->set(name, value);
}

int uiLevelNumber(UiLevel level) {
  switch (level) {
    case UiLevel::kNone:
      return 2;
    case UiLevel::kBasic:
      return 3;
    case UiLevel::kReduced:
      return 4;
    default:
      return 5;
  }
}

// Waits while the test's marker file exists (at most two minutes).
void pauseBeforeCommitIfAsked() {
  const char* marker = std::getenv(kPauseBeforeCommitVariable);
  if (marker == nullptr || *marker == '\0') return;
  if (!emulated::writeHostFileAtomically(marker, std::to_string(::getpid()), nullptr)) return;
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::minutes(2);
  while (::access(marker, F_OK) == 0 && std::chrono::steady_clock::now() < deadline) {
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
}

class InstallerRun {
 public:
  explicit InstallerRun(std::string callingProcess) : callingProcess_(std::move(callingProcess)) {}

  uint32_t run(const std::vector<std::string>& args) {
    std::string error;
    if (parseInstallerOptions(args, &options_, &error) != 0) {
      std::fprintf(stderr, "msiexec: %s\n", emulated::utf8ToAnsi(error).c_str());
      return kInvalidCommandLine;
    }
    progress_ = std::make_unique<ConsoleProgress>(options_.uiLevel != UiLevel::kNone);
    // An installer that cannot write into the machine directory can neither
    // lock the machine nor journal what it does. That is said before
    // anything else, a log on that machine included, and with a code that
    // no tool retries as it retries 1618: waiting does not mend it.
    std::string machineProblem;
    const bool machineWritable = lock_.open(installerLockFile(), &machineProblem);
    if (!options_.logPath.empty() &&
        !log_.open(options_.logPath, options_.appendToLog, callingProcess_)) {
      const int openError = errno;
      if (machineWritable) {
        std::fprintf(stderr, "msiexec: cannot write the log file %s: %s\n",
                     emulated::utf8ToAnsi(options_.logPath).c_str(), std::strerror(openError));
        return kLogFileFailure;
      }
    }
    std::string commandLine;
    for (const std::string& arg : args) commandLine += (commandLine.empty() ? "" : " ") + arg;
    log_.message("Command line: " + commandLine);
    sendLibraryMessagesTo(&log_);
    uint32_t result =
        machineWritable
            ? install()
            : failWith(kInstallerFoldersUnwritable,
                       "the machine directory " + emulated::machineDirectory() +
                           " cannot be written: " + machineProblem + "; nothing was installed");
    if (result != kSuccess) rollBack();
    return finish(result);
  }

 private:
  uint32_t install() {
    for (const auto& [name, value] : options_.properties) commandLineProperties_.set(name, value);
    uint32_t result = 0;
    if (options_.productCode.empty()) {
      packagePath_ = fullPackagePath(options_.packagePath);
      log_.message("Package: " + packagePath_);
      result = openPackage();
      if (result == 0) result = takeMachine();
    } else {
      result = takeMachine();
      if (result == 0) result = openCachedPackage();
    }
    if (result == 0) result = selectProductAndTransforms();
    if (result == 0) result = chooseMode();
    if (result != 0) return result;
    if (nothingToRemove_) return kSuccess;

    PropertyTable properties = initialProperties();
    progress_->say(std::string(modeWords().title) + " " + productName() + " " + productVersion() +
                   " (" + productCode_ + ")");
    InstallSession session(*package_, tables_, packagePath_, properties, mode_, &registry_,
                           &journal_, &log_, progress_.get());
    result = session.run();
    properties_ = session.properties();
    if (result != 0) return result;
    if (mode_ == InstallMode::kMaintenance) return kSuccess;  // nothing to commit
    if (mode_ == InstallMode::kRemove) return commitRemoval(session.emptiedDirectories());
    return commit();
  }

  // The installer lock, a stopped installation finished or rolled back, and
  // the registry as it is then.
  uint32_t takeMachine() {
    if (!lock_.tryAcquire()) {
      return failWith(kAnotherInstallRunning,
                      "another installation is in progress on this machine; complete it first");
    }
    const uint32_t result = recoverStoppedInstallation();
    if (result != 0) return result;
    std::string error;
    if (!registry_.load(emulated::registryFilePath(), &error)) {
      return failWith(kInstallFailure, "cannot read the registry: " + error);
    }
    return 0;
  }

  // A product named by its code is acted on through the package Windows
  // Installer cached for it when it was installed.
  uint32_t openCachedPackage() {
    const std::string code = upper(options_.productCode);
    if (!isProductInstalled(registry_, code)) {
      return failWith(kUnknownProduct,
                      "the product " + code + " is not installed. " + kOnlyForInstalledProducts);
    }
    packagePath_ = registeredLocalPackage(registry_, code);
    log_.message("Package: " + packagePath_ + " (the cached package of " + code + ")");
    if (packagePath_.empty() || platform::pathKind(emulated::utf8ToAnsi(packagePath_).c_str()) !=
                                    platform::PathKind::kRegularFile) {
      return failWith(kInstallSourceAbsent,
                      "the cached package of " + code + " (\"" + packagePath_ + "\") is missing");
    }
    return openPackage();
  }

  uint32_t openPackage() {
    const std::string host = hostPathOf(packagePath_);
    if (host.empty() || platform::pathKind(emulated::utf8ToAnsi(packagePath_).c_str()) !=
                            platform::PathKind::kRegularFile) {
      return failWith(kPackageOpenFailed, "the package " + packagePath_ + " does not exist");
    }
    std::string error;
    package_ = InstallerPackage::open(host, &error);
    if (!package_ || !package_->readTables(&tables_, &error)) {
      return failWith(kPackageOpenFailed,
                      "the package " + packagePath_ + " cannot be opened: " + error);
    }
    baseCode_ = upper(tables_.properties["ProductCode"]);
    if (!isProductCode(baseCode_)) {
      return failWith(kPackageOpenFailed, "the package has no valid ProductCode");
    }
    return 0;
  }

  // Applies transforms to the package's tables and reads the result.
  uint32_t transformTables(const std::vector<TransformReference>& transforms) {
    std::string error;
    msidb::Tables tables = package_->tables();
    const uint32_t result = applyTransforms(transforms, hostPathOf(packagePath_), &tables, &error);
    if (result != 0) return failWith(result, error);
    if (!InstallerPackage::readPackageTables(tables, &tables_, &error)) {
      return failWith(kTransformFailure, "the transformed package cannot be read: " + error);
    }
    return 0;
  }

  // Decides the product this run acts on, and with which transforms. A new
  // installation applies the TRANSFORMS given, and its product is the
  // ProductCode they leave; an installed product (an instance named by
  // MSIINSTANCEGUID, or the product those transforms name) is acted on with
  // the transforms it was installed with.
  uint32_t selectProductAndTransforms() {
    const std::string newInstance = commandLineProperties_.get("MSINEWINSTANCE");
    // A product named by its code on the command line is found as an
    // instance named by MSIINSTANCEGUID is.
    instanceGuid_ =
        upper(options_.productCode.empty() ? commandLineProperties_.get("MSIINSTANCEGUID")
                                           : options_.productCode);
    if (!newInstance.empty() && newInstance != "1") {
      return failWith(kInvalidCommandLine, "MSINEWINSTANCE must be 1");
    }
    if (!newInstance.empty() && (options_.uninstall || !options_.productCode.empty())) {
      return failWith(kInvalidCommandLine, "MSINEWINSTANCE installs a new instance of a package");
    }
    if (!newInstance.empty() && !instanceGuid_.empty()) {
      return failWith(kInvalidCommandLine,
                      "MSINEWINSTANCE and MSIINSTANCEGUID cannot be given together");
    }
    const std::vector<TransformReference> given =
        parseTransformList(commandLineProperties_.get("TRANSFORMS"), packagePath_);
    if (!newInstance.empty() && given.empty()) {
      return failWith(kInvalidCommandLine, "a new instance needs its instance transform");
    }

    if (!instanceGuid_.empty()) {
      if (!isProductCode(instanceGuid_)) {
        return failWith(kInvalidCommandLine, "MSIINSTANCEGUID is not a product code");
      }
      productCode_ = instanceGuid_;
      if (!isProductInstalled(registry_, productCode_)) {
        return failWith(kUnknownProduct,
                        "the instance " + instanceGuid_ + " of this package is not installed");
      }
    } else {
      uint32_t result = transformTables(given);
      if (result != 0) return result;
      productCode_ = upper(tables_.properties["ProductCode"]);
      if (!isProductCode(productCode_)) {
        return failWith(kTransformFailure, "the transforms leave no valid ProductCode");
      }
      if (!newInstance.empty() && productCode_ == baseCode_) {
        return failWith(kInvalidCommandLine,
                        "a new instance needs a transform that gives it a product code");
      }
      if (!isProductInstalled(registry_, productCode_)) {
        transforms_ = given;
        logTransformsApplied();
        return 0;
      }
      if (!newInstance.empty()) {
        return failWith(kProductAlreadyInstalled,
                        "the instance " + productCode_ + " is already installed");
      }
    }

    // An installed product keeps the transforms it was installed with, as
    // Windows keeps them: a list given now is not applied.
    transforms_ = parseTransformList(registeredTransforms(registry_, productCode_), packagePath_);
    const std::string kept = registeredTransformList(transforms_);
    log_.message("The product " + productCode_ + " was installed with the transforms \"" + kept +
                 "\"; they are applied again");
    if (!given.empty() && registeredTransformList(given) != kept) {
      const std::string asked = commandLineProperties_.get("TRANSFORMS");
      log_.message("PROPERTY CHANGE: Modifying TRANSFORMS property. Its current value is '" +
                   asked + "'. Its new value: '" + kept + "'.");
      log_.message("TRANSFORMS=" + asked +
                   " from the command line is not applied: an installed product's transforms "
                   "cannot be changed");
    }
    uint32_t result = transformTables(transforms_);
    if (result != 0) return result;
    if (!ascii::equalsNoCase(tables_.properties["ProductCode"], productCode_)) {
      return failWith(kUnknownProduct,
                      "the product " + productCode_ + " is no instance of this package");
    }
    logTransformsApplied();
    return 0;
  }

  void logTransformsApplied() {
    for (const TransformReference& transform : transforms_) {
      log_.message("Transform " + transform.registered() + " applied");
    }
  }

  uint32_t chooseMode() {
    const bool installed = isProductInstalled(registry_, productCode_);
    const std::string remove = commandLineProperties_.get("REMOVE");
    if (options_.uninstall || !remove.empty()) {
      if (!options_.uninstall && !removesEveryFeature(remove)) {
        return failWith(kInstallFailure, "REMOVE=" + remove +
                                             " keeps some features; removing only some features "
                                             "is not supported by this installer");
      }
      mode_ = InstallMode::kRemove;
      if (!installed && options_.uninstall) {
        return failWith(kUnknownProduct, "the product " + productCode_ + " is not installed. " +
                                             kOnlyForInstalledProducts);
      }
      // An installation that is to remove everything installs nothing.
      nothingToRemove_ = !installed;
      log_.message(
          std::string("Product ") + productCode_ +
          (installed ? " is installed; Removing" : " is not installed; nothing to remove"));
      return 0;
    }
    if (!installed) {
      mode_ = InstallMode::kFirstInstall;
    } else if (!commandLineProperties_.get("REINSTALL").empty()) {
      mode_ = InstallMode::kReinstall;
    } else {
      mode_ = InstallMode::kMaintenance;
    }
    log_.message(std::string("Product ") + productCode_ +
                 (installed ? " is installed" : " is not installed") + "; " + modeWords().title);
    return 0;
  }

  // Whether REMOVE names ALL or every feature of the package: then the
  // product goes, as it does on Windows when no feature stays.
  bool removesEveryFeature(const std::string& remove) const {
    if (ascii::equalsNoCase(remove, "ALL")) return true;
    std::set<std::string> named;
    for (const std::string_view name : splitAt(remove, ",")) named.emplace(name);
    for (const FeatureRow& feature : tables_.features) {
      if (!named.count(feature.feature)) return false;
    }
    return true;
  }

  PropertyTable initialProperties() const {
    PropertyTable p;
    for (const auto& [name, value] : tables_.properties) p.set(name, value);
    setSystemProperties(&p);
    for (const auto& [name, value] : commandLineProperties_.all()) p.set(name, value);
    p.set("ProductCode", productCode_);
    p.set("OriginalDatabase", packagePath_);
    p.set("DATABASE", packagePath_);
    p.set("SourceDir", directoryOf(packagePath_));
    p.set("SOURCEDIR", directoryOf(packagePath_));
    p.set("UILevel", std::to_string(uiLevelNumber(options_.uiLevel)));
    p.set("Installed", mode_ == InstallMode::kFirstInstall ? "" : "1");
    if (mode_ != InstallMode::kFirstInstall)
      p.set("TRANSFORMS", registeredTransformList(transforms_));
    if (mode_ == InstallMode::kRemove && options_.uninstall) p.set("REMOVE", "ALL");
    if (mode_ == InstallMode::kReinstall && p.get("REINSTALLMODE").empty()) {
      p.set("REINSTALLMODE", "omus");
    }
    return p;
  }

  uint32_t commit() {
    std::string localPackage = registeredLocalPackage(registry_, productCode_);
    const bool recache =
        mode_ == InstallMode::kFirstInstall || localPackage.empty() ||
        ascii::findNoCase(properties_.get("REINSTALLMODE"), "v") != std::string::npos ||
        platform::pathKind(emulated::utf8ToAnsi(localPackage).c_str()) !=
            platform::PathKind::kRegularFile;
    if (recache) {
      localPackage = cachedPackagePath(productCode_);
      std::string error;
      if (!cacheFile(packagePath_, localPackage, &error)) {
        return failWith(kInstallFailure, "cannot cache the package as " + localPackage +
                                             (error.empty() ? "" : ": " + error));
      }
      log_.message("Package cached as " + localPackage);
    }
    if (mode_ == InstallMode::kFirstInstall) {
      const uint32_t result = cacheTransformFiles();
      if (result != 0) return result;
    }
    ProductRegistration product;
    product.productCode = productCode_;
    product.productName = productName();
    product.productVersion = productVersion();
    product.manufacturer = properties_.get("Manufacturer");
    product.language = properties_.get("ProductLanguage");
    product.installLocation = properties_.get("ARPINSTALLLOCATION");
    product.installSource = directoryOf(packagePath_);
    product.localPackage = localPackage;
    product.transforms = registeredTransformList(transforms_);
    product.noModify = !properties_.get("ARPNOMODIFY").empty();
    product.noRemove = !properties_.get("ARPNOREMOVE").empty();
    product.noRepair = !properties_.get("ARPNOREPAIR").empty();
    registerProduct(&registry_, product);
    log_.message("Product " + productCode_ + " registered, InstallLocation " +
                 product.installLocation);

    return commitRegistryChanges();
  }

  // The commit: the registry with every change of the run, in one write,
  // after which the journal's kept-aside files go.
  uint32_t commitRegistryChanges() {
    pauseBeforeCommitIfAsked();
    if (log_.failed()) return logFailure();
    std::string error;
    if (!journal_.commitRegistry(registry_.serialize(), &error)) {
      return failWith(kInstallFailure, "cannot write the registry: " + error);
    }
    log_.message("Registry committed");
    if (!journal_.finish(&error)) log_.message("After the commit: " + error);
    return kSuccess;
  }

  // A removal's registry changes, with the product's registration gone, in
  // one write; the product's cached package and transforms go through the
  // journal before it, and the folders its components emptied go when the
  // journal finishes, once the files kept aside in them are gone.
  uint32_t commitRemoval(const std::vector<std::string>& emptiedDirectories) {
    std::vector<std::string> cached;
    const std::string localPackage = registeredLocalPackage(registry_, productCode_);
    if (ascii::startsWithNoCase(localPackage, kPackageCache)) cached.push_back(localPackage);
    const std::string cacheFolder = cachedTransformPath(productCode_, "");
    for (const TransformReference& transform : transforms_) {
      if (!transform.embedded && ascii::startsWithNoCase(transform.name, cacheFolder)) {
        cached.push_back(transform.name);
      }
    }
    for (const std::string& file : cached) {
      std::string error;
      if (!journal_.removeFile(file, &error)) {
        return failWith(kInstallFailure, "cannot remove the cached " + file + ": " + error);
      }
      log_.message("Cached file " + file + " removed");
    }
    std::vector<std::string> folders = emptiedDirectories;
    folders.push_back(cacheFolder);
    for (const std::string& folder : folders) {
      std::string error;
      if (!journal_.removeFolderWhenEmptied(folder, &error)) {
        return failWith(kInstallFailure, "cannot remove the folder " + folder + ": " + error);
      }
      log_.message("Folder: " + folder + "; removed after the commit when it is empty");
    }
    unregisterProduct(&registry_, productCode_);
    log_.message("Product " + productCode_ + " unregistered");

    return commitRegistryChanges();
  }

  // Copies a file into Windows Installer's cache, through the journal, so
  // that a failed installation takes the copy away again. *error stays
  // empty when the source is not there.
  bool cacheFile(const std::string& source, const std::string& cache, std::string* error) {
    std::string bytes;
    return emulated::readHostFile(hostPathOf(source), &bytes, error) &&
           journal_.makeDirectories(directoryOf(cache), error) &&
           journal_.writeFile(cache, bytes, error);
  }

  // Windows keeps a copy of each transform file with the product, so that
  // later runs on it need neither the media nor the file: the registration
  // names the copies.
  uint32_t cacheTransformFiles() {
    for (TransformReference& transform : transforms_) {
      if (transform.embedded) continue;
      const std::string cache = cachedTransformPath(productCode_, transform.name);
      std::string error;
      if (!cacheFile(transform.name, cache, &error)) {
        return failWith(kInstallFailure, "cannot cache the transform " + transform.name +
                                             (error.empty() ? "" : ": " + error));
      }
      transform.name = cache;
    }
    return 0;
  }

  // An installation stopped before on this machine is finished or rolled
  // back before this one changes anything.
  uint32_t recoverStoppedInstallation() {
    const RollbackJournal::Recovery recovery = RollbackJournal::recover(rollbackJournalFile());
    for (const std::string& line : recovery.log) log_.message(line);
    switch (recovery.outcome) {
      case RollbackJournal::Outcome::kFailed:
        return failWith(
            kInstallFailure,
            "an installation that was stopped cannot be rolled back: " + recovery.error);
      case RollbackJournal::Outcome::kSetAside:
        // The run goes on, but whoever runs it should know that a stopped
        // installation may have left files behind.
        warn(recovery.error);
        return 0;
      default:
        return 0;
    }
  }

  // Undoes what this run placed on the disks; its registry changes were
  // never committed.
  void rollBack() {
    std::vector<std::string> done;
    const bool complete = journal_.rollBack(&done);
    for (const std::string& line : done) log_.message(line);
    if (!complete) {
      failWith(kInstallFailure,
               "the installation could not be rolled back completely; the next installation "
               "tries again");
    }
  }

  uint32_t logFailure() {
    return failWith(kLogFileFailure,
                    "cannot write the log file " + options_.logPath + "; the installation stops");
  }

  // Shows a line in the progress output, or, in a quiet run, on standard
  // error.
  void tell(const std::string& shown, const std::string& quiet) {
    if (options_.uiLevel != UiLevel::kNone) {
      progress_->say(shown);
    } else {
      std::fprintf(stderr, "msiexec: %s\n", emulated::utf8ToAnsi(quiet).c_str());
    }
  }

  void warn(const std::string& text) { tell("Warning: " + text, "warning: " + text); }

  uint32_t failWith(uint32_t code, const std::string& reason) {
    log_.message("Error " + std::to_string(code) + ": " + reason);
    tell("Error: " + reason, reason);
    return code;
  }

  // Ends the log; the exit code stays result, unless the log could not be
  // written and nothing was committed.
  uint32_t finish(uint32_t result) {
    if (!properties_.all().empty()) log_.properties(properties_);
    const std::string name = productName().empty() ? packagePath_ : productName();
    const bool removal = mode_ == InstallMode::kRemove;
    const std::string outcome = result == 0 ? std::string(modeWords().done)
                                : removal   ? std::string("Removal failed.")
                                            : std::string("Installation operation failed.");
    log_.message("Product: " + name + " -- " + outcome);
    const char* done = removal ? (result == 0 ? "removed" : "did not remove")
                               : (result == 0 ? "installed" : "did not install");
    log_.message("Windows Installer " + std::string(done) + " the product. Product Name: " + name +
                 ". Product Version: " + productVersion() + ". Product Code: " + productCode_ +
                 ". " + (removal ? "Removal" : "Installation") +
                 " success or error status: " + std::to_string(result) + ".");
    log_.message("MainEngineThread is returning " + std::to_string(result));
    sendLibraryMessagesTo(nullptr);
    if (!log_.close()) {
      // Installed and committed: the installation stands, and only the end
      // of its log is missing.
      std::fprintf(stderr, "msiexec: cannot write the log file %s\n",
                   emulated::utf8ToAnsi(options_.logPath).c_str());
    }
    progress_->say(result == 0 ? outcome
                               : "Installation failed with code " + std::to_string(result));
    return result;
  }

  // How the progress and the log name this run's kind, and its success.
  struct ModeWords {
    const char* title;
    const char* done;
  };
  ModeWords modeWords() const {
    switch (mode_) {
      case InstallMode::kFirstInstall:
        return {"Installing", "Installation completed successfully."};
      case InstallMode::kReinstall:
        return {"Reinstalling", "Reinstallation completed successfully."};
      case InstallMode::kRemove:
        return {"Removing", "Removal completed successfully."};
      default:
        return {"Maintaining", "Configuration completed successfully."};
    }
  }

  std::string productName() const {
    auto it = tables_.properties.find("ProductName");
    return it == tables_.properties.end() ? "" : it->second;
  }
  std::string productVersion() const {
    auto it = tables_.properties.find("ProductVersion");
    return it == tables_.properties.end() ? "" : it->second;
  }

  std::string callingProcess_;
  InstallerOptions options_;
  std::unique_ptr<ConsoleProgress> progress_ = std::make_unique<ConsoleProgress>(false);
  VerboseLog log_;
  PropertyTable commandLineProperties_;
  std::string packagePath_;
  std::unique_ptr<InstallerPackage> package_;
  PackageTables tables_;
  // Split from the TRANSFORMS list once, each file's path resolved after
  // the split: a path may hold ";" (an image in C:\media\v1;2).
  std::vector<TransformReference> transforms_;
  std::string baseCode_;
  std::string instanceGuid_;
  std::string productCode_;
  InstallerLock lock_;
  RollbackJournal journal_{rollbackJournalFile()};
  emulated::RegistryFile registry_;
  InstallMode mode_ = InstallMode::kFirstInstall;
  bool nothingToRemove_ = false;
  PropertyTable properties_;
};

}  // namespace

uint32_t runInstaller(const std::vector<std::string>& args, const std::string& callingProcess) {
  return InstallerRun(callingProcess).run(args);
}

}  // namespace msiexec
