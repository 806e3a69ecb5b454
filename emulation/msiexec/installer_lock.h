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

  // Opens (creating it when needed) the lock file, without taking the lock.
  // False, with the reason, when it cannot be opened: the machine directory
  // cannot be written (a read-only file system, a full disk), which no wait
  // for another installation mends.
  bool open(const std::string& lockFile, std::string* error);
  // Takes the lock without waiting; false when another installation holds
  // it (or the lock file was not opened).
  bool tryAcquire();

 private:
  int fd_ = -1;
};

// The lock file of this process's machine.
std::string installerLockFile();

}  // namespace msiexec
