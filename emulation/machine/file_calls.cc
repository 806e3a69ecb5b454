// Files by Windows path.
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <string>

#include "emulation/machine/host_files.h"
#include "emulation/machine/host_listings.h"
#include "emulation/machine/last_error.h"
#include "emulation/machine/machine.h"
#include "emulation/machine/machine_state.h"
#include "emulation/machine/path_namespace.h"
#include "emulation/machine/text_stream.h"
#include "platform/platform.h"

namespace platform {
namespace {

emulated::LocatedPath locate(const char* path) {
  return path == nullptr ? emulated::LocatedPath{} : emulated::locateWindowsPath(path);
}

// Why a path has no host entry, as the Windows runtime reports it: a name
// Windows refuses is EINVAL (ERROR_INVALID_NAME), anything else not found.
void failFor(const emulated::LocatedPath& located) {
  const uint32_t error = located.error != 0 ? located.error : kErrorFileNotFound;
  emulated::setLastError(error);
  errno = error == emulated::kErrorInvalidName ? EINVAL : ENOENT;
}

// What the directory listings say the located path is, when they say it;
// kUnknown asks the host.
emulated::HostEntryType listedTypeOf(const emulated::LocatedPath& located) {
  if (!located.exists || located.lastDir.empty()) return emulated::HostEntryType::kUnknown;
  return emulated::entryTypeOf(located.lastDir, located.lastName);
}

// After a change to the host's files, what the namespace holds of them is
// forgotten; the change's error stays for the caller.
void forgetListings() {
  const int error = errno;
  emulated::forgetHostListings();
  errno = error;
}

std::string describeKind(FileKind kind) {
  return kind == FileKind::kMessageFile ? "message file" : "response file";
}

std::uint64_t maxBytesOf(FileKind kind) {
  return kind == FileKind::kMessageFile ? emulated::kMaxMessageFileBytes
                                        : emulated::kMaxResponseFileBytes;
}

// Only regular files are read. A file that a program reads whole and that
// is no regular file or larger than its kind allows would keep it reading
// without end: the program stops instead, naming the file. Any other file
// that is not a regular file cannot be opened for reading.
bool readableAsKind(int fd, const char* path, const std::string& host, FileKind kind) {
  struct stat st;
  if (::fstat(fd, &st) != 0) return false;
  const bool regular = S_ISREG(st.st_mode);
  if (kind == FileKind::kAny) return regular;
  std::string problem;
  if (!regular) {
    problem = S_ISFIFO(st.st_mode)  ? "a FIFO, not a regular file"
              : S_ISCHR(st.st_mode) ? "a character device, not a regular file"
                                    : "not a regular file";
  } else if (static_cast<std::uint64_t>(st.st_size) > maxBytesOf(kind)) {
    problem = "larger than the " + std::to_string(maxBytesOf(kind) / emulated::kMiB) + " MiB a " +
              describeKind(kind) + " may have";
  }
  if (problem.empty()) return true;
  emulated::stopProgram("The emulated Windows machine cannot read the " + describeKind(kind) + " " +
                        path + " (" + host + "): " + problem);
}

}  // namespace

std::FILE* openFile(const char* path, const char* mode, FileKind kind) {
  if (mode == nullptr || (mode[0] != 'r' && mode[0] != 'w' && mode[0] != 'a')) {
    errno = EINVAL;
    return nullptr;
  }
  // The runtime's own flags ("t", "c", "n", "S", ...) after the first
  // character only matter as "+" and "b" here.
  bool update = false;
  bool binary = false;
  for (const char* m = mode + 1; *m != '\0' && *m != ','; ++m) {
    update = update || *m == '+';
    binary = binary || *m == 'b';
  }
  const bool reads = mode[0] == 'r' || update;
  std::string hostMode(1, mode[0]);
  if (update) hostMode += '+';

  const emulated::LocatedPath located = locate(path);
  int fd = -1;
  if (located.device == emulated::DeviceName::kNull) {
    fd = ::open("/dev/null", O_RDWR | O_CLOEXEC);  // reads end at once, writes go nowhere
  } else {
    const std::string& host = located.host;
    if (host.empty()) {
      failFor(located);
      return nullptr;
    }
    struct stat st;
    if (::stat(host.c_str(), &st) == 0 && S_ISDIR(st.st_mode)) {
      errno = EACCES;  // Windows opens no directory as a file
      return nullptr;
    }
    // Without waiting: opening a FIFO must not wait for its other end.
    int flags = O_CLOEXEC | O_NONBLOCK | (update ? O_RDWR : (mode[0] == 'r' ? O_RDONLY : O_WRONLY));
    if (mode[0] == 'w') flags |= O_CREAT | O_TRUNC;
    if (mode[0] == 'a') flags |= O_CREAT | O_APPEND;
    fd = ::open(host.c_str(), flags, 0666);
    if (mode[0] != 'r' && fd >= 0) forgetListings();  // the file may be new
    if (fd < 0) return nullptr;
    if (reads && !readableAsKind(fd, path, host, kind)) {
      ::close(fd);
      errno = EACCES;
      return nullptr;
    }
    ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) & ~O_NONBLOCK);
  }
  if (fd < 0) return nullptr;
  if (!binary) return emulated::openTextStream(fd, hostMode.c_str());
  std::FILE* stream = ::fdopen(fd, hostMode.c_str());
  if (stream == nullptr) ::close(fd);
  return stream;
}

PathKind pathKind(const char* path) {
  if (path == nullptr) return PathKind::kMissing;
  const emulated::LocatedPath located = locate(path);
  if (located.device == emulated::DeviceName::kNull) return PathKind::kOther;
  // A name the namespace did not find, or found listed, needs no look at
  // the host.
  if (!located.exists) return PathKind::kMissing;
  switch (listedTypeOf(located)) {
    case emulated::HostEntryType::kFile:
      return PathKind::kRegularFile;
    case emulated::HostEntryType::kDirectory:
      return PathKind::kDirectory;
    case emulated::HostEntryType::kUnknown:
      break;
  }
  const std::string& host = located.host;
  struct stat st;
  if (host.empty() || ::stat(host.c_str(), &st) != 0) return PathKind::kMissing;
  if (S_ISREG(st.st_mode)) return PathKind::kRegularFile;
  if (S_ISDIR(st.st_mode)) return PathKind::kDirectory;
  return PathKind::kOther;
}

bool pathAccess(const char* path, int mode) {
  if ((mode & ~6) != 0) {
    errno = EINVAL;
    return false;
  }
  if (path == nullptr) {
    errno = ENOENT;
    return false;
  }
  const emulated::LocatedPath located = locate(path);
  if (located.device == emulated::DeviceName::kNull) return true;  // neither missing nor read-only
  // Only the write test of a file needs its permission bits from the host.
  const emulated::HostEntryType listed = listedTypeOf(located);
  if (listed == emulated::HostEntryType::kDirectory ||
      (listed == emulated::HostEntryType::kFile && (mode & kAccessWrite) == 0)) {
    return true;
  }
  const std::string& host = located.host;
  if (host.empty()) {
    failFor(located);
    return false;
  }
  struct stat st;
  // A name the namespace did not find needs no look at the host.
  if (!located.exists || ::stat(host.c_str(), &st) != 0) {
    errno = ENOENT;
    return false;
  }
  // The write test asks for the read-only attribute, which a file without
  // any write permission bit has; directories always pass it.
  if ((mode & kAccessWrite) != 0 && !S_ISDIR(st.st_mode) &&
      (st.st_mode & (S_IWUSR | S_IWGRP | S_IWOTH)) == 0) {
    errno = EACCES;
    return false;
  }
  return true;
}

int makeDirectory(const char* path) {
  const emulated::LocatedPath located = locate(path);
  if (located.device != emulated::DeviceName::kNone) {
    emulated::setLastError(emulated::kErrorNotADirectory);
    errno = EINVAL;
    return -1;
  }
  if (located.host.empty()) {
    failFor(located);
    return -1;
  }
  if (::mkdir(located.host.c_str(), 0777) != 0) {
    // A disk that cannot be written at all is no condition a Windows
    // program's message would name: the machine names it.
    if (errno == EROFS) {
      const std::string machine = emulated::machineDirectory();
      const bool onMachine = located.host.rfind(machine + "/", 0) == 0;
      std::fprintf(stderr,
                   "The emulated Windows machine cannot create the directory %s (%s): it is on a "
                   "read-only file system%s%s\n",
                   path, located.host.c_str(), onMachine ? ", as is the machine directory " : "",
                   onMachine ? machine.c_str() : "");
      errno = EROFS;
    }
    return -1;
  }
  forgetListings();
  return 0;
}

}  // namespace platform
