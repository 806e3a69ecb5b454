#include "emulation/machine/path_namespace.h"

#include <sys/stat.h>
#include <unistd.h>

#include <climits>
#include <mutex>
#include <unordered_map>

#include "base/ascii.h"
#include "base/split.h"
#include "emulation/machine/code_page.h"
#include "emulation/machine/host_listings.h"
#include "emulation/machine/machine.h"
#include "emulation/machine/machine_state.h"
#include "emulation/machine/short_names.h"
#include "platform/platform.h"

namespace emulated {
namespace {

bool isSeparator(char c) { return c == '\\' || c == '/'; }

std::string currentHostDirectory() {
  char cwd[PATH_MAX];
  return ::getcwd(cwd, sizeof cwd) ? std::string(cwd) : std::string("/");
}

std::vector<std::string> splitHostPath(std::string_view path) {
  std::vector<std::string> names;
  for (const std::string_view name : splitAt(path, "/")) {
    if (name == "..") {
      if (!names.empty()) names.pop_back();
    } else if (!name.empty() && name != ".") {
      names.emplace_back(name);
    }
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

// The same for one name, without a list to hold it.
std::string joinHostPath(const std::string& root, const std::string& name) {
  std::string path;
  path.reserve(root.size() + 1 + name.size());
  path = root;
  if (path.empty() || path.back() != '/') path += '/';
  path += name;
  return path;
}

bool hostEntryExists(const std::string& path) {
  struct stat st;
  return ::lstat(path.c_str(), &st) == 0;
}

// Whether root and the names below it exist as spelled: from the listings
// this program holds when it holds those of every directory on the way, else
// by one look at the host (a path that exists is usually asked for once).
bool existsAsSpelled(const std::string& root, const std::vector<std::string>& names) {
  std::string dir = root;
  for (const std::string& name : names) {
    const std::shared_ptr<const HostListing> listing = heldListingOf(dir);
    if (listing == nullptr || !listing->listed) return hostEntryExists(joinHostPath(root, names));
    if (listing->indexOf(name) < 0) {
      return listingChangedSince(dir, *listing) && hostEntryExists(joinHostPath(root, names));
    }
    if (dir.empty() || dir.back() != '/') dir += '/';
    dir += name;
  }
  return true;
}

// Whether a drive's root directory exists.
bool rootExists(const std::string& root) {
  if (listingOf(root)->listed) return true;
  struct stat st;
  return ::stat(root.c_str(), &st) == 0;
}

std::string driveRoot(char drive) {
  const char letter = ascii::toLower(drive);
  if (letter == 'z') return "/";
  return machineDirectory() + "/drive_" + letter;
}

// The entry of a listing that a name given in a Windows path means; empty
// when there is none.
std::string entryIn(const HostListing& listing, const std::string& name) {
  if (listing.indexOf(name) >= 0) return name;
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

// The entry of dir that a name given in a Windows path means; empty when
// there is none.
std::string findEntry(const std::string& dir, const std::string& name) {
  std::shared_ptr<const HostListing> listing = listingOf(dir);
  if (!listing->listed) return hostEntryExists(joinHostPath(dir, name)) ? name : "";
  std::string found = entryIn(*listing, name);
  // Another program may have made the name since the listing was taken.
  if (found.empty() && listingChangedSince(dir, *listing)) {
    listing = listingOf(dir);
    if (listing->listed) found = entryIn(*listing, name);
  }
  return found;
}

// The share that a path beginning with two separators names: the folder
// unc/SERVER/SHARE of the machine, each name found without regard to letter
// case as any other. A server or share that does not exist is a network
// path or name not found, as Windows reports it; a server without a share
// is no path at all, and the prefixes of the device and long-path
// namespaces (\\.\ and \\?\) lead nowhere here.
struct ShareRoot {
  std::string root;     // host directory of the share
  std::size_t end = 0;  // where the names below the share begin
  uint32_t error = 0;
};

ShareRoot shareRoot(std::string_view path) {
  ShareRoot found;
  std::size_t pos = 2;
  auto nextName = [&] {
    const std::size_t start = pos;
    while (pos < path.size() && !isSeparator(path[pos])) ++pos;
    const std::string_view name = path.substr(start, pos - start);
    if (pos < path.size()) ++pos;
    return name;
  };
  const std::string_view server = nextName();
  const std::string_view share = nextName();
  found.end = pos;
  if (server == "." || server == "?") {
    found.error = platform::kErrorPathNotFound;
    return found;
  }
  if (server.empty() || share.empty() || holdsRefusedCharacter(server) ||
      holdsRefusedCharacter(share)) {
    found.error = kErrorInvalidName;
    return found;
  }
  const std::string shares = machineDirectory() + "/unc";
  const std::string serverName = findEntry(shares, ansiToUtf8(server));
  if (serverName.empty()) {
    found.error = kErrorBadNetPath;
    return found;
  }
  const std::string serverDir = joinHostPath(shares, serverName);
  const std::string shareName = findEntry(serverDir, ansiToUtf8(share));
  if (shareName.empty()) {
    found.error = kErrorBadNetName;
    return found;
  }
  found.root = joinHostPath(serverDir, shareName);
  return found;
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
      result->error = platform::kErrorPathNotFound;
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
    if (driveDir == "unc" && names.size() >= baseNames.size() + 3) {
      HostLocation location;
      location.drive = '\0';
      location.server = names[baseNames.size() + 1];
      location.share = names[baseNames.size() + 2];
      location.root = joinHostPath(base, {driveDir, location.server, location.share});
      location.names.assign(names.begin() + static_cast<std::ptrdiff_t>(baseNames.size()) + 3,
                            names.end());
      return location;
    }
    if (driveDir.size() == 7 && driveDir.compare(0, 6, "drive_") == 0 && driveDir[6] >= 'a' &&
        driveDir[6] <= 'z') {
      HostLocation location;
      location.drive = ascii::toUpper(driveDir[6]);
      location.root = joinHostPath(base, driveDir);
      location.names.assign(names.begin() + static_cast<std::ptrdiff_t>(baseNames.size()) + 1,
                            names.end());
      return location;
    }
  }
  HostLocation onTheHostRoot;
  onTheHostRoot.root = "/";
  onTheHostRoot.names = names;
  return onTheHostRoot;
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
    const ShareRoot share = shareRoot(path);
    if (share.error != 0) {
      result.error = share.error;
      return result;
    }
    root = share.root;
    pos = share.end;
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
    if (existsAsSpelled(root, all)) {
      std::string dir = joinHostPath(root, stack);
      for (std::size_t i = 0; i < pieces.size(); ++i) {
        PathComponent component;
        component.given = std::string(pieces[i]);
        component.hostDir = dir;
        component.exists = true;
        component.host = names[i];
        dir = joinHostPath(dir, names[i]);
        result.components.push_back(std::move(component));
      }
      result.exists = true;
      result.host = exact;
      return result;
    }
  }

  const bool rootFound = rootExists(root);
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
    bool parentExists = rootFound;
    for (bool exists : stackExists) parentExists = parentExists && exists;
    const std::string found = parentExists ? findEntry(joinHostPath(root, stack), name) : "";
    component.hostDir = joinHostPath(root, stack);
    component.exists = !found.empty();
    component.host = component.exists ? found : name;
    stack.push_back(component.host);
    stackExists.push_back(component.exists);
    result.components.push_back(std::move(component));
  }
  result.exists = rootFound;
  for (bool exists : stackExists) result.exists = result.exists && exists;
  result.host = joinHostPath(root, stack);
  return result;
}

namespace {

// A directory resolved for locateWindowsPath.
struct ResolvedDirectory {
  bool exists = false;
  std::string host;
};

// The directories resolved lately, by their Windows path as given, for as
// long as the listings they were resolved from are held.
struct ResolvedDirectories {
  std::mutex mutex;
  unsigned long generation = 0;
  std::unordered_map<std::string, ResolvedDirectory> byPath;
};

ResolvedDirectory resolvedDirectory(std::string_view windowsPath) {
  // Never destroyed: threads and exit handlers may still resolve paths.
  static ResolvedDirectories* resolved = new ResolvedDirectories;
  // Enough for every directory a run looks into.
  constexpr std::size_t kMostRemembered = 4096;
  const unsigned long generation = hostListingsGeneration();
  const std::string key(windowsPath);
  {
    std::lock_guard<std::mutex> lock(resolved->mutex);
    if (resolved->generation != generation || resolved->byPath.size() >= kMostRemembered) {
      resolved->byPath.clear();
      resolved->generation = generation;
    }
    auto found = resolved->byPath.find(key);
    if (found != resolved->byPath.end()) return found->second;
  }
  const ResolvedPath whole = resolveWindowsPath(windowsPath);
  ResolvedDirectory directory{whole.exists, whole.host};
  std::lock_guard<std::mutex> lock(resolved->mutex);
  if (resolved->generation == generation) resolved->byPath.emplace(key, directory);
  return directory;
}

}  // namespace

LocatedPath locateWindowsPath(std::string_view path) {
  LocatedPath located;
  // X:\dir...\name, with a name that is neither "." nor ".." nor loses
  // dots or blanks at its end, and a directory part whose last name does not
  // either: the same walk as resolveWindowsPath's, split after the directory.
  const bool absolute =
      path.size() > 3 && ascii::isAlpha(path[0]) && path[1] == ':' && isSeparator(path[2]);
  const std::size_t lastSeparator = path.find_last_of("\\/");
  const std::string_view name =
      lastSeparator == std::string_view::npos ? path : path.substr(lastSeparator + 1);
  std::size_t dirEnd = lastSeparator;
  while (absolute && dirEnd > 2 && isSeparator(path[dirEnd - 1])) --dirEnd;
  const std::string_view dir = path.substr(0, absolute ? dirEnd : 0);
  auto endsPlain = [](std::string_view text) {
    return !text.empty() && text.back() != '.' && text.back() != ' ';
  };
  auto wholePath = [&] {
    const ResolvedPath whole = resolveWindowsPath(path);
    located.valid = whole.valid;
    located.exists = whole.exists;
    located.host = whole.host;
    located.error = whole.error;
    located.device = whole.device;
    if (!whole.components.empty() && !whole.components.back().dots) {
      located.lastDir = whole.components.back().hostDir;
      located.lastName = whole.components.back().host;
    }
    return located;
  };
  // A last name Windows refuses, and a directory part without a host path
  // (one it refuses among them), take the whole walk, which says why.
  if (!absolute || dirEnd <= 2 || !endsPlain(name) || !endsPlain(dir.substr(3)) ||
      holdsRefusedCharacter(name) || deviceNameOf(name) != DeviceName::kNone) {
    return wholePath();
  }
  const ResolvedDirectory parent = resolvedDirectory(dir);
  // A directory missing when it was looked for may have been made since.
  if (parent.host.empty() || !parent.exists) return wholePath();
  const std::string hostName = ansiToUtf8(name);
  const std::string found = findEntry(parent.host, hostName);
  located.valid = true;
  located.exists = !found.empty();
  located.lastDir = parent.host;
  located.lastName = located.exists ? found : hostName;
  located.host = joinHostPath(parent.host, located.lastName);
  return located;
}

std::string toHostPath(std::string_view windowsPath) {
  return resolveWindowsPath(windowsPath).host;
}

std::string toWindowsPath(std::string_view hostPath) {
  if (hostPath.empty()) return "";
  const HostLocation location = locateHostPath(hostPath);
  std::string path;
  if (location.drive == '\0') {
    path = "\\\\" + utf8ToAnsi(location.server) + "\\" + utf8ToAnsi(location.share) + "\\";
  } else {
    path = std::string(1, location.drive) + ":\\";
  }
  for (std::size_t i = 0; i < location.names.size(); ++i) {
    if (i > 0) path += '\\';
    path += utf8ToAnsi(location.names[i]);
  }
  return path;
}

}  // namespace emulated
