#include "platform/emulated/host_files.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>

#include "platform/emulated/host_listings.h"

namespace emulated {

bool readHostFile(const std::string& path, std::string* content, std::string* error) {
  const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) {
    if (error) *error = errno == ENOENT ? "" : std::strerror(errno);
    return false;
  }
  std::string data;
  char buffer[65536];
  for (;;) {
    const ssize_t n = ::read(fd, buffer, sizeof buffer);
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) {
      if (error) *error = std::strerror(errno);
      ::close(fd);
      return false;
    }
    if (n == 0) break;
    data.append(buffer, static_cast<std::size_t>(n));
  }
  ::close(fd);
  *content = std::move(data);
  return true;
}

namespace {

// What the path namespace holds of the host's directories is forgotten once
// a change is made, whether it succeeds or not.
struct ForgetListingsAfter {
  ~ForgetListingsAfter() { forgetHostListings(); }
};

bool writeAll(int fd, const std::string& content) {
  std::size_t done = 0;
  while (done < content.size()) {
    const ssize_t n = ::write(fd, content.data() + done, content.size() - done);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return false;
    done += static_cast<std::size_t>(n);
  }
  return true;
}

}  // namespace

bool writeHostFileAtomically(const std::string& path, const std::string& content,
                             std::string* error) {
  ForgetListingsAfter changesFiles;
  std::string temporary = path + ".XXXXXX";
  const int fd = ::mkostemp(temporary.data(), O_CLOEXEC);
  if (fd < 0) {
    if (error) *error = path + ": " + std::strerror(errno);
    return false;
  }
  ::fchmod(fd, 0644);
  const bool written = writeAll(fd, content) && ::fsync(fd) == 0;
  const int writeErrno = errno;
  if (::close(fd) != 0 || !written) {
    ::unlink(temporary.c_str());
    if (error) *error = path + ": " + std::strerror(written ? errno : writeErrno);
    return false;
  }
  if (::rename(temporary.c_str(), path.c_str()) != 0) {
    const int renameErrno = errno;
    ::unlink(temporary.c_str());
    if (error) *error = path + ": " + std::strerror(renameErrno);
    return false;
  }
  return true;
}

bool makeHostDirectories(const std::string& path) {
  if (path.empty()) return false;
  struct stat st;
  if (::stat(path.c_str(), &st) == 0) return S_ISDIR(st.st_mode);
  ForgetListingsAfter changesFiles;
  const std::size_t slash = path.find_last_of('/');
  if (slash != std::string::npos && slash > 0) makeHostDirectories(path.substr(0, slash));
  if (::mkdir(path.c_str(), 0777) == 0) return true;
  return errno == EEXIST && ::stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

std::vector<std::string> listHostDirectory(const std::string& path) {
  std::vector<std::string> names;
  DIR* dir = ::opendir(path.c_str());
  if (dir == nullptr) return names;
  while (const dirent* entry = ::readdir(dir)) {
    const std::string name = entry->d_name;
    if (name != "." && name != "..") names.push_back(name);
  }
  ::closedir(dir);
  std::sort(names.begin(), names.end());
  return names;
}

std::vector<char*> cStringArray(std::vector<std::string>& texts) {
  std::vector<char*> list;
  for (std::string& text : texts) list.push_back(text.data());
  list.push_back(nullptr);
  return list;
}

bool removeHostTree(const std::string& path) {
  ForgetListingsAfter changesFiles;
  struct stat st;
  if (::lstat(path.c_str(), &st) != 0) return errno == ENOENT;
  if (S_ISDIR(st.st_mode)) {
    bool emptied = true;
    for (const std::string& name : listHostDirectory(path)) {
      emptied = removeHostTree(path + "/" + name) && emptied;
    }
    if (!emptied && ::chmod(path.c_str(), 0700) == 0) {
      // A read-only directory of a test must go too.
      for (const std::string& name : listHostDirectory(path)) removeHostTree(path + "/" + name);
    }
    return ::rmdir(path.c_str()) == 0;
  }
  return ::unlink(path.c_str()) == 0;
}

}  // namespace emulated
