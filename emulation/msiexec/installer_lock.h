#pragma once

#include <string>

// The machine-wide lock that keeps a second installation out while one runs
// (the launcher's own mutex only keeps a second launcher out). It is a lock
// file of the machine directory held with flock, so a killed installer gives
// it up with its last descriptor.
namespace msiexec {

class InstallerLock {
 public:
  InstallerLock() = default;
  ~InstallerLock();
  InstallerLock(const InstallerLock&) = delete;
  InstallerLock& operator=(const InstallerLock&) = delete;

  // Takes the lock without waiting; false when another installation holds
  // it or the lock file cannot be opened.
  bool tryAcquire(const std::string& lockFile);

 private:
  int fd_ = -1;
};

// The lock file of this process's machine.
std::string installerLockFile();

}  // namespace msiexec
