#include "emulation/machine/machine.h"

#include <fcntl.h>
#include <pwd.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <mutex>

#include "emulation/machine/host_files.h"
#include "emulation/machine/host_listings.h"
#include "emulation/machine/machine_state.h"

namespace emulated {
namespace {

constexpr char kEmptyRegistry[] = "Windows Registry Editor Version 5.00\r\n\r\n";

struct MachineState {
  std::mutex mutex;
  bool resolved = false;
  MachineLocation location;
  bool registryLoaded = false;
  std::shared_ptr<const RegistryFile> registry;
  std::string registryError;
};

// Never destroyed: threads and exit handlers may still ask for the machine.
MachineState& state() {
  static MachineState* machine = new MachineState;
  return *machine;
}

std::string absoluteHostPath(const std::string& path) {
  if (!path.empty() && path.front() == '/') return path;
  char cwd[PATH_MAX];
  if (::getcwd(cwd, sizeof cwd) == nullptr) return path;
  return std::string(cwd) + "/" + path;
}

std::string realPathOf(const std::string& path) {
  char resolved[PATH_MAX];
  return ::realpath(path.c_str(), resolved) ? std::string(resolved) : path;
}

// The host account's name or home directory (getpwuid_r: other threads may
// ask at the same time); empty when the host does not know the account.
std::string accountField(bool home) {
  char buffer[4096];
  passwd entry;
  passwd* found = nullptr;
  if (::getpwuid_r(::geteuid(), &entry, buffer, sizeof buffer, &found) != 0 || !found) return "";
  const char* field = home ? found->pw_dir : found->pw_name;
  return field != nullptr ? field : "";
}

std::string homeDirectory() {
  const char* home = std::getenv("HOME");
  if (home != nullptr && *home != '\0') return home;
  const std::string account = accountField(true);
  return account.empty() ? "/tmp" : account;
}

void setLocationLocked(MachineState& s, const std::string& dir) {
  forgetHostListings();  // what was resolved on another machine
  s.location.dir = absoluteHostPath(dir);
  while (s.location.dir.size() > 1 && s.location.dir.back() == '/') s.location.dir.pop_back();
  s.location.setupError.clear();
  prepareMachineDirectory(s.location.dir, &s.location.setupError);
  s.location.realDir = realPathOf(s.location.dir);
  s.resolved = true;
  s.registryLoaded = false;
  s.registry.reset();
  s.registryError.clear();
}

void resolveLocked(MachineState& s) {
  if (s.resolved) return;
  const char* named = std::getenv("KV7_MACHINE");
  setLocationLocked(s, named != nullptr && *named != '\0' ? std::string(named)
                                                          : homeDirectory() + "/.kv7/machine");
}

void loadRegistryLocked(MachineState& s) {
  if (s.registryLoaded) return;
  auto registry = std::make_shared<RegistryFile>();
  std::string error;
  if (registry->load(s.location.dir + "/system.reg", &error)) {
    s.registry = std::move(registry);
  } else {
    s.registryError = error;
  }
  s.registryLoaded = true;
}

// A new machine gets this project's emulated installer as its msiexec.exe,
// so that setup's runs install for real: the program named by
// KV7_EMULATED_INSTALLER, else the one this build made. A machine made where
// neither exists has no installer, as a Windows without one would.
void linkEmulatedInstaller(const std::string& target) {
  const char* program = std::getenv("KV7_EMULATED_INSTALLER");
#ifdef KV7_EMULATED_INSTALLER_DEFAULT
  if (program == nullptr || *program == '\0') program = KV7_EMULATED_INSTALLER_DEFAULT;
#endif
  if (program == nullptr || *program == '\0' || ::access(program, X_OK) != 0) return;
  if (::symlink(program, target.c_str()) != 0) {
    std::fprintf(stderr, "%s: cannot link the emulated installer: %s\n", target.c_str(),
                 std::strerror(errno));
  }
}

}  // namespace

bool prepareMachineDirectory(const std::string& dir, std::string* error) {
  const std::string drive = dir + "/drive_c";
  const std::string folders[] = {dir,
                                 drive + "/Windows/system32",
                                 drive + "/Windows/Temp",
                                 drive + "/Program Files",
                                 drive + "/Program Files (x86)",
                                 drive + "/ProgramData",
                                 drive + "/Users/" + hostUserName() + "/Documents"};
  for (const std::string& folder : folders) {
    if (!makeHostDirectories(folder)) {
      if (error) *error = folder + ": cannot create the directory: " + std::strerror(errno);
      return false;
    }
  }
  const std::string registry = dir + "/system.reg";
  const int fd = ::open(registry.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0644);
  if (fd >= 0) {
    const ssize_t written = ::write(fd, kEmptyRegistry, sizeof kEmptyRegistry - 1);
    ::close(fd);
    if (written != static_cast<ssize_t>(sizeof kEmptyRegistry - 1)) {
      if (error) *error = registry + ": cannot write the empty registry";
      return false;
    }
    linkEmulatedInstaller(drive + "/Windows/system32/msiexec.exe");
  } else if (errno != EEXIST) {
    if (error) *error = registry + ": " + std::strerror(errno);
    return false;
  }
  return true;
}

MachineLocation machineLocation() {
  MachineState& s = state();
  std::lock_guard<std::mutex> lock(s.mutex);
  resolveLocked(s);
  return s.location;
}

void forgetMachine() {
  forgetHostListings();
  MachineState& s = state();
  std::lock_guard<std::mutex> lock(s.mutex);
  s.resolved = false;
  s.location = MachineLocation{};
  s.registryLoaded = false;
  s.registry.reset();
  s.registryError.clear();
}

std::string machineDirectory() { return machineLocation().dir; }

std::string registryFilePath() { return machineDirectory() + "/system.reg"; }

bool useMachine(const std::string& hostDir, std::string* error) {
  MachineState& s = state();
  std::lock_guard<std::mutex> lock(s.mutex);
  setLocationLocked(s, hostDir);
  if (!s.location.setupError.empty()) {
    if (error) *error = s.location.setupError;
    return false;
  }
  loadRegistryLocked(s);
  if (s.registry == nullptr) {
    if (error) *error = s.registryError;
    return false;
  }
  return true;
}

std::shared_ptr<const RegistryFile> machineRegistry(std::string* error) {
  MachineState& s = state();
  std::lock_guard<std::mutex> lock(s.mutex);
  resolveLocked(s);
  loadRegistryLocked(s);
  if (s.registry == nullptr && error) *error = s.registryError;
  return s.registry;
}

std::string hostUserName() {
  const std::string account = accountField(false);
  if (!account.empty()) return account;
  const char* name = std::getenv("USER");
  return name != nullptr && *name != '\0' ? name : "user";
}

}  // namespace emulated
