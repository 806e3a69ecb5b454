#include "platform/emulated/path_namespace.h"

#include <sys/stat.h>
#include <unistd.h>

#include <climits>
#include <mutex>
#include <unordered_map>

#include "base/ascii.h"
#include "platform/emulated/code_page.h"
#include "platform/emulated/host_files.h"
#include "platform/emulated/machine.h"
#include "platform/emulated/machine_state.h"
#include "platform/emulated/short_names.h"

namespace emulated {
namespace {

constexpr uint32_t kErrorPathNotFound = 3;

bool isSeparator(char c) { return c == '\\' || c == '/'; }

std::string currentHostDirectory() {
  char cwd[PATH_MAX];
  return ::getcwd(cwd, sizeof cwd) ? std::string(cwd) : std::string("/");
}

std::vector<std::string> splitHostPath(std::string_view path) {
  std::vector<std::string> names;
  std::size_t start = 0;
  while (start <= path.size()) {
    std::size_t end = path.find('/', start);
    if (end == std::string_view::npos) end = path.size();
    const std::string_view name = path.substr(start, end - start);
    if (name == "..") {
      if (!names.empty()) names.pop_back();
    } else if (!name.empty() && name != ".") {
      names.emplace_back(name);
    }
    start = end + 1;
  }
  return names;
}

std::string joinHostPath(const std::string& root, const std::vector<std::string>& names) {
  std::string path = root;
  for (const std::string& name : names) {
    if (path.empty() || path.back() != '/') path += '/';
    path += name;
  }
  return path;
}

bool hostEntryExists(const std::string& path) {
  struct stat st;
  return ::lstat(path.c_str(), &st) == 0;
}

std::string driveRoot(char drive) {
  const char letter = ascii::toLower(drive);
  if (letter == 'z') return "/";
  return machineDirectory() + "/drive_" + letter;
}

// A directory's entries with their folded names, kept while the directory
// is unchanged: a run asks for many files that do not exist (level files of
// products a copy does not hold), and listing the directory for each would
// cost more than everything else the run does.
struct DirectoryListing {
  timespec modified{};
  ino_t inode = 0;
  std::vector<std::string> entries;
  std::vector<std::string> folded;
};

bool listingOf(const std::string& dir, DirectoryListing* out) {
  struct stat st;
  if (::stat(dir.c_str(), &st) != 0) return false;
  static std::mutex mutex;
  static std::unordered_map<std::string, DirectoryListing> cache;
  std::lock_guard<std::mutex> lock(mutex);
  DirectoryListing& listing = cache[dir];
  if (listing.inode != st.st_ino || listing.modified.tv_sec != st.st_mtim.tv_sec ||
      listing.modified.tv_nsec != st.st_mtim.tv_nsec || listing.entries.empty()) {
    listing.entries = listHostDirectory(dir);
    listing.folded.clear();
    for (const std::string& entry : listing.entries) listing.folded.push_back(foldName(entry));
    listing.inode = st.st_ino;
    listing.modified = st.st_mtim;
  }
  *out = listing;
  return true;
}

// The entry of dir that a name given in a Windows path means; empty when
// there is none.
std::string findEntry(const std::string& dir, const std::string& name) {
  if (hostEntryExists(joinHostPath(dir, {name}))) return name;
  DirectoryListing listing;
  if (!listingOf(dir, &listing)) return "";
  const std::string folded = foldName(name);
  for (std::size_t i = 0; i < listing.entries.size(); ++i) {
    if (listing.folded[i] == folded) return listing.entries[i];
  }
  // A generated short name always holds a "~"; other names need no listing
  // of the directory's short names.
  if (name.find('~') == std::string::npos) return "";
  const std::vector<std::string> shortNames = shortNamesFor(listing.entries);
  for (std::size_t i = 0; i < listing.entries.size(); ++i) {
    if (foldName(ansiToUtf8(shortNames[i])) == folded) return listing.entries[i];
  }
  return "";
}

// Windows drops the dots and blanks that end the last name of a path.
std::string_view withoutTrailingDotsAndBlanks(std::string_view name) {
  if (name == "." || name == "..") return name;
  while (!name.empty() && (name.back() == '.' || name.back() == ' ')) name.remove_suffix(1);
  return name;
}

// Names Windows refuses leave the path without a host entry: whatever
// the host would allow, no file or directory is made or found under them.
bool acceptedByWindows(const std::vector<std::string_view>& pieces, ResolvedPath* result) {
  for (std::string_view piece : pieces) {
    if (holdsRefusedCharacter(piece)) {
      result->error = kErrorInvalidName;
      return false;
    }
  }
  for (std::size_t i = 0; i < pieces.size(); ++i) {
    if (deviceNameOf(pieces[i]) == DeviceName::kNone) continue;
    if (i + 1 < pieces.size()) {
      result->error = kErrorPathNotFound;
    } else {
      result->device = deviceNameOf(pieces[i]);
    }
    return false;
  }
  return true;
}

}  // namespace

HostLocation locateHostPath(std::string_view hostPath) {
  std::string absolute(hostPath);
  if (absolute.empty() || absolute.front() != '/')
    absolute = currentHostDirectory() + "/" + absolute;
  const std::vector<std::string> names = splitHostPath(absolute);
  const MachineLocation machine = machineLocation();
  for (const std::string& base : {machine.dir, machine.realDir}) {
    const std::vector<std::string> baseNames = splitHostPath(base);
    if (names.size() <= baseNames.size()) continue;
    if (!std::equal(baseNames.begin(), baseNames.end(), names.begin())) continue;
    const std::string& driveDir = names[baseNames.size()];
    if (driveDir.size() == 7 && driveDir.compare(0, 6, "drive_") == 0 && driveDir[6] >= 'a' &&
        driveDir[6] <= 'z') {
      HostLocation location;
      location.drive = ascii::toUpper(driveDir[6]);
      location.root = joinHostPath(base, {driveDir});
      location.names.assign(names.begin() + static_cast<std::ptrdiff_t>(baseNames.size()) + 1,
                            names.end());
      return location;
    }
  }
  return HostLocation{'Z', "/", names};
}

ResolvedPath resolveWindowsPath(std::string_view path) {
  ResolvedPath result;
  if (path.empty()) return result;
  std::string root;
  std::vector<std::string> stack;  // host names below root
  std::vector<bool> stackExists;
  auto startAt = [&](const HostLocation& location) {
    root = location.root;
    stack = location.names;
    stackExists.assign(stack.size(), true);
  };

  std::size_t pos = 0;
  if (path.size() >= 2 && ascii::isAlpha(path[0]) && path[1] == ':') {
    root = driveRoot(path[0]);
    if (path.size() > 2 && isSeparator(path[2])) {
      pos = 3;
    } else {
      pos = 2;  // "C:name" is relative to the current directory when it is on C:
      const HostLocation current = locateHostPath(currentHostDirectory());
      if (current.drive == ascii::toUpper(path[0])) startAt(current);
    }
  } else if (path.size() >= 2 && isSeparator(path[0]) && isSeparator(path[1])) {
    return result;  // UNC paths lead off this machine
  } else {
    startAt(locateHostPath(currentHostDirectory()));
    if (isSeparator(path[0])) {
      stack.clear();
      stackExists.clear();
      pos = 1;
    }
  }
  result.valid = true;
  result.prefix = std::string(path.substr(0, pos));

  std::vector<std::string_view> pieces;
  for (std::size_t start = pos; start <= path.size();) {
    std::size_t end = start;
    while (end < path.size() && !isSeparator(path[end])) ++end;
    if (end > start) pieces.push_back(path.substr(start, end - start));
    start = end + 1;
  }
  result.trailingSeparator = !pieces.empty() && isSeparator(path.back());
  if (!pieces.empty() && !result.trailingSeparator) {
    pieces.back() = withoutTrailingDotsAndBlanks(pieces.back());
    if (pieces.back().empty()) pieces.pop_back();
  }

  if (!acceptedByWindows(pieces, &result)) return result;

  // A path that exists exactly as spelled resolves to itself, each name
  // taking its exact spelling first: one look at the file system.
  bool plain = !pieces.empty();
  std::vector<std::string> names;
  for (std::string_view piece : pieces) {
    if (piece == "." || piece == "..") plain = false;
    names.push_back(ansiToUtf8(piece));
  }
  if (plain) {
    std::vector<std::string> all = stack;
    all.insert(all.end(), names.begin(), names.end());
    const std::string exact = joinHostPath(root, all);
    if (hostEntryExists(exact)) {
      std::string dir = joinHostPath(root, stack);
      for (std::size_t i = 0; i < pieces.size(); ++i) {
        PathComponent component;
        component.given = std::string(pieces[i]);
        component.hostDir = dir;
        component.exists = true;
        component.host = names[i];
        dir = joinHostPath(dir, {names[i]});
        result.components.push_back(std::move(component));
      }
      result.exists = true;
      result.host = exact;
      return result;
    }
  }

  struct stat st;
  bool rootExists = ::stat(root.c_str(), &st) == 0;
  for (std::string_view piece : pieces) {
    PathComponent component;
    component.given = std::string(piece);
    if (piece == "." || piece == "..") {
      component.dots = true;
      component.host = component.given;
      if (piece == ".." && !stack.empty()) {
        stack.pop_back();
        stackExists.pop_back();
      }
      component.exists = true;
      result.components.push_back(std::move(component));
      continue;
    }
    const std::string name = ansiToUtf8(piece);
    bool parentExists = rootExists;
    for (bool exists : stackExists) parentExists = parentExists && exists;
    const std::string found = parentExists ? findEntry(joinHostPath(root, stack), name) : "";
    component.hostDir = joinHostPath(root, stack);
    component.exists = !found.empty();
    component.host = component.exists ? found : name;
    stack.push_back(component.host);
    stackExists.push_back(component.exists);
    result.components.push_back(std::move(component));
  }
  result.exists = rootExists;
  for (bool exists : stackExists) result.exists = result.exists && exists;
  result.host = joinHostPath(root, stack);
  return result;
}

std::string toHostPath(std::string_view windowsPath) {
  return resolveWindowsPath(windowsPath).host;
}

std::string toWindowsPath(std::string_view hostPath) {
  if (hostPath.empty()) return "";
  const HostLocation location = locateHostPath(hostPath);
  std::string path(1, location.drive);
  path += ":\\";
  for (std::size_t i = 0; i < location.names.size(); ++i) {
    if (i > 0) path += '\\';
    path += utf8ToAnsi(location.names[i]);
  }
  return path;
}

}  // namespace emulated
