// Files by Windows path.
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <string>

#include "platform/emulated/last_error.h"
#include "platform/emulated/path_namespace.h"
#include "platform/emulated/text_stream.h"
#include "platform/platform.h"

namespace platform {
namespace {

emulated::ResolvedPath resolve(const char* path) {
  return path == nullptr ? emulated::ResolvedPath{} : emulated::resolveWindowsPath(path);
}

// Why a path has no host entry, as the Windows runtime reports it: a name
// Windows refuses is EINVAL (ERROR_INVALID_NAME), anything else not found.
void failFor(const emulated::ResolvedPath& resolved) {
  const uint32_t error = resolved.error != 0 ? resolved.error : kErrorFileNotFound;
  emulated::setLastError(error);
  errno = error == emulated::kErrorInvalidName ? EINVAL : ENOENT;
}

}  // namespace

std::FILE* openFile(const char* path, const char* mode) {
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
  std::string hostMode(1, mode[0]);
  if (update) hostMode += '+';

  const emulated::ResolvedPath resolved = resolve(path);
  int fd = -1;
  if (resolved.device == emulated::DeviceName::kNull) {
    fd = ::open("/dev/null", O_RDWR | O_CLOEXEC);  // reads end at once, writes go nowhere
  } else {
    const std::string& host = resolved.host;
    if (host.empty()) {
      failFor(resolved);
      return nullptr;
    }
    struct stat st;
    if (::stat(host.c_str(), &st) == 0 && S_ISDIR(st.st_mode)) {
      errno = EACCES;  // Windows opens no directory as a file
      return nullptr;
    }
    int flags = O_CLOEXEC | (update ? O_RDWR : (mode[0] == 'r' ? O_RDONLY : O_WRONLY));
    if (mode[0] == 'w') flags |= O_CREAT | O_TRUNC;
    if (mode[0] == 'a') flags |= O_CREAT | O_APPEND;
    fd = ::open(host.c_str(), flags, 0666);
  }
  if (fd < 0) return nullptr;
  if (!binary) return emulated::openTextStream(fd, hostMode.c_str());
  std::FILE* stream = ::fdopen(fd, hostMode.c_str());
  if (stream == nullptr) ::close(fd);
  return stream;
}

PathKind pathKind(const char* path) {
  const emulated::ResolvedPath resolved = resolve(path);
  if (resolved.device == emulated::DeviceName::kNull) return PathKind::kOther;
  const std::string& host = resolved.host;
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
  const emulated::ResolvedPath resolved = resolve(path);
  if (resolved.device == emulated::DeviceName::kNull) return true;  // neither missing nor read-only
  const std::string& host = resolved.host;
  if (host.empty()) {
    failFor(resolved);
    return false;
  }
  struct stat st;
  if (::stat(host.c_str(), &st) != 0) {
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
  const emulated::ResolvedPath resolved = resolve(path);
  const std::string& host = resolved.host;
  if (resolved.device != emulated::DeviceName::kNone) {
    emulated::setLastError(emulated::kErrorNotADirectory);
    errno = EINVAL;
    return -1;
  }
  if (host.empty()) {
    failFor(resolved);
    return -1;
  }
  return ::mkdir(host.c_str(), 0777) == 0 ? 0 : -1;
}

}  // namespace platform
