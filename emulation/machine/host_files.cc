#include "emulation/machine/host_files.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>

#include "emulation/machine/host_listings.h"

namespace emulated {

namespace {

// How many symbolic links a path may pass through, as the host allows.
constexpr int kMaxLinkHops = 40;

std::string sizeText(std::uint64_t bytes) {
  return bytes % kMiB == 0 ? std::to_string(bytes / kMiB) + " MiB"
                           : std::to_string(bytes) + " bytes";
}

}  // namespace

std::string kindOfNonRegular(unsigned mode) {
  if (S_ISDIR(mode)) return "a directory";
  if (S_ISFIFO(mode)) return "a FIFO";
  if (S_ISCHR(mode)) return "a character device";
  if (S_ISBLK(mode)) return "a block device";
  if (S_ISSOCK(mode)) return "a socket";
  return "not a file";
}

bool followHostLinks(const std::string& path, std::string* target, std::string* error) {
  std::string current = path;
  for (int hops = 0; hops <= kMaxLinkHops; ++hops) {
    struct stat st;
    if (::lstat(current.c_str(), &st) != 0) {
      if (hops == 0) break;  // no link: the path as it is
      if (error) {
        *error =
            path + ": a symbolic link to " + current +
            (errno == ENOENT ? ", which does not exist" : ": " + std::string(std::strerror(errno)));
      }
      return false;
    }
    if (!S_ISLNK(st.st_mode)) break;
    std::string link(static_cast<std::size_t>(st.st_size > 0 ? st.st_size : 4095) + 1, '\0');
    const ssize_t n = ::readlink(current.c_str(), link.data(), link.size());
    if (n < 0 || static_cast<std::size_t>(n) >= link.size()) {
      if (error) *error = path + ": the symbolic link " + current + " cannot be read";
      return false;
    }
    link.resize(static_cast<std::size_t>(n));
    const std::size_t slash = current.find_last_of('/');
    current = link.front() == '/' || slash == std::string::npos
                  ? link
                  : current.substr(0, slash + 1) + link;
    if (hops == kMaxLinkHops) {
      if (error) *error = path + ": too many symbolic links";
      return false;
    }
  }
  *target = current;
  return true;
}

bool readHostFile(const std::string& path, std::string* content, std::string* error,
                  std::uint64_t maxBytes) {
  // Without waiting: opening a FIFO must not wait for a writer.
  const int fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
  if (fd < 0) {
    const int openErrno = errno;
    std::string target;
    std::string linkError;
    if (openErrno == ENOENT && !followHostLinks(path, &target, &linkError)) {
      // A link that leads nowhere is a fault, not a missing file.
      if (error) *error = linkError.substr(path.size() + 2);
      return false;
    }
    if (error) *error = openErrno == ENOENT ? "" : std::strerror(openErrno);
    return false;
  }
  struct stat st;
  std::string problem;
  if (::fstat(fd, &st) != 0) {
    problem = std::strerror(errno);
  } else if (!S_ISREG(st.st_mode)) {
    problem = kindOfNonRegular(st.st_mode) + ", not a regular file";
  } else if (static_cast<std::uint64_t>(st.st_size) > maxBytes) {
    problem = "larger than the " + sizeText(maxBytes) + " a file of its kind may have";
  }
  if (!problem.empty()) {
    ::close(fd);
    if (error) *error = problem;
    return false;
  }
  std::string data;
  data.reserve(static_cast<std::size_t>(st.st_size));
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
    // A file that grows while it is read is held to the same bound.
    if (data.size() + static_cast<std::size_t>(n) > maxBytes) {
      if (error) *error = "larger than the " + sizeText(maxBytes) + " a file of its kind may have";
      ::close(fd);
      return false;
    }
    data.append(buffer, static_cast<std::size_t>(n));
  }
  ::close(fd);
  *content = std::move(data);
  return true;
}

namespace {

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
  std::string target;
  if (!followHostLinks(path, &target, error)) return false;
  ForgetListingsAfter changesFiles;
  std::string temporary = target + ".XXXXXX";
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
  if (::rename(temporary.c_str(), target.c_str()) != 0) {
    const int renameErrno = errno;
    ::unlink(temporary.c_str());
    if (error) *error = path + ": " + std::strerror(renameErrno);
    return false;
  }
  return true;
}

bool makeHostDirectories(const std::string& path) {
  if (path.empty()) return false;
  // From the path up to its first existing ancestor, then down again.
  std::vector<std::string> missing;
  std::string dir = path;
  struct stat st;
  while (::stat(dir.c_str(), &st) != 0) {
    missing.push_back(dir);
    const std::size_t slash = dir.find_last_of('/');
    if (slash == std::string::npos || slash == 0) break;
    dir.resize(slash);
  }
  // An entry on the way that is no directory fails as mkdir would.
  auto isDirectory = [](const struct stat& entry) {
    if (S_ISDIR(entry.st_mode)) return true;
    errno = ENOTDIR;
    return false;
  };
  if (missing.empty()) return isDirectory(st);
  ForgetListingsAfter changesFiles;
  for (auto it = missing.rbegin(); it != missing.rend(); ++it) {
    if (::mkdir(it->c_str(), 0777) != 0 && errno != EEXIST) return false;
  }
  return ::stat(path.c_str(), &st) == 0 && isDirectory(st);
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
  // Depth first without recursion: a directory is visited, its entries are
  // queued after it, and it is removed once they are gone.
  struct Entry {
    std::string path;
    bool listed;
  };
  std::vector<Entry> pending = {{path, false}};
  bool removed = true;
  while (!pending.empty()) {
    Entry entry = pending.back();
    struct stat st;
    if (::lstat(entry.path.c_str(), &st) != 0) {
      removed = removed && errno == ENOENT;
      pending.pop_back();
      continue;
    }
    if (!S_ISDIR(st.st_mode)) {
      removed = ::unlink(entry.path.c_str()) == 0 && removed;
      pending.pop_back();
      continue;
    }
    if (entry.listed) {
      removed = ::rmdir(entry.path.c_str()) == 0 && removed;
      pending.pop_back();
      continue;
    }
    pending.back().listed = true;
    // A read-only directory of a test must go too.
    if ((st.st_mode & S_IWUSR) == 0) ::chmod(entry.path.c_str(), st.st_mode | S_IRWXU);
    for (const std::string& name : listHostDirectory(entry.path)) {
      pending.push_back({entry.path + "/" + name, false});
    }
  }
  return removed;
}

}  // namespace emulated
