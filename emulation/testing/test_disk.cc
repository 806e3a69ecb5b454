#include "emulation/testing/test_disk.h"

#include <fcntl.h>
#include <sys/mount.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "emulation/machine/host_files.h"

namespace emulated {

TestDisk::TestDisk(std::size_t bytes) {
  const char* tmp = std::getenv("TMPDIR");
  std::string pattern =
      std::string(tmp != nullptr && *tmp != '\0' ? tmp : "/tmp") + "/kv7-disk-XXXXXX";
  if (::mkdtemp(pattern.data()) == nullptr) {
    reason_ = std::string("cannot create a directory to mount on: ") + std::strerror(errno);
    return;
  }
  base_ = pattern;
  dir_ = base_ + "/disk";
  if (::mkdir(dir_.c_str(), 0755) != 0) {
    reason_ = std::string("cannot create the mount point: ") + std::strerror(errno);
    return;
  }
  const std::string options = "size=" + std::to_string(bytes) + ",mode=0755";
  if (::mount("kv7-test-disk", dir_.c_str(), "tmpfs", MS_NOSUID | MS_NODEV, options.c_str()) != 0) {
    reason_ = std::string("cannot mount a tmpfs (root and CAP_SYS_ADMIN are needed): ") +
              std::strerror(errno);
    return;
  }
  mounted_ = true;
}

TestDisk::~TestDisk() {
  if (mounted_) ::umount2(dir_.c_str(), MNT_DETACH);
  if (!base_.empty()) removeHostTree(base_);
}

bool TestDisk::fillLeaving(std::size_t pages) {
  if (!mounted_) return false;
  const std::string filler = dir_ + "/.filler";
  const int fd = ::open(filler.c_str(), O_WRONLY | O_CREAT | O_APPEND | O_CLOEXEC, 0600);
  if (fd < 0) return false;
  // Page by page, so that the file ends on a page: then freeing pages from
  // its end frees exactly those.
  const std::vector<char> page(kPage, 'f');
  off_t size = ::lseek(fd, 0, SEEK_END);
  int stop = 0;
  for (;;) {
    const ssize_t n = ::write(fd, page.data(), page.size());
    if (n > 0) size += n;
    if (n == static_cast<ssize_t>(page.size())) continue;
    if (n < 0 && errno == EINTR) continue;
    stop = n < 0 ? errno : ENOSPC;
    break;
  }
  const off_t kept = size - static_cast<off_t>((size % kPage) + pages * kPage);
  const bool ok = stop == ENOSPC && kept >= 0 && ::ftruncate(fd, kept) == 0;
  ::close(fd);
  return ok;
}

bool TestDisk::makeReadOnly() {
  if (!mounted_) return false;
  if (::mount("kv7-test-disk", dir_.c_str(), "tmpfs", MS_REMOUNT | MS_RDONLY | MS_NOSUID | MS_NODEV,
              nullptr) != 0) {
    reason_ = std::string("cannot mount the disk again read-only: ") + std::strerror(errno);
    return false;
  }
  return true;
}

}  // namespace emulated
