#include "emulation/msiexec/installer_lock.h"

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include "emulation/machine/machine.h"

namespace msiexec {

InstallerLock::~InstallerLock() {
  if (fd_ >= 0) ::close(fd_);
}

bool InstallerLock::tryAcquire(const std::string& lockFile) {
  if (fd_ >= 0) return true;
  // Close-on-exec: a program the installer might start must not keep the
  // lock after the installer ends.
  const int fd = ::open(lockFile.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0644);
  if (fd < 0) return false;
  if (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
    ::close(fd);
    return false;
  }
  fd_ = fd;
  return true;
}

std::string installerLockFile() { return emulated::machineDirectory() + "/msiexec-install.lock"; }

}  // namespace msiexec
