#include "emulation/msiexec/installer_lock.h"

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "emulation/machine/machine.h"

namespace msiexec {

InstallerLock::~InstallerLock() {
  if (fd_ >= 0) ::close(fd_);
}

bool InstallerLock::open(const std::string& lockFile, std::string* error) {
  if (fd_ >= 0) return true;
  // Close-on-exec: a program the installer might start must not keep the
  // lock after the installer ends.
  fd_ = ::open(lockFile.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0644);
  if (fd_ < 0) {
    *error =
        std::string("its lock file ") + lockFile + " cannot be created: " + std::strerror(errno);
    return false;
  }
  return true;
}

bool InstallerLock::tryAcquire() {
  if (fd_ < 0) return false;
  while (::flock(fd_, LOCK_EX | LOCK_NB) != 0) {
    if (errno != EINTR) return false;
  }
  return true;
}

std::string installerLockFile() { return emulated::machineDirectory() + "/msiexec-install.lock"; }

}  // namespace msiexec
