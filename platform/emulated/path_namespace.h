#pragma once

#include <string>
#include <string_view>
#include <vector>

// The machine's file namespace: drive X: is the host directory drive_x of
// the machine, Z: is the host root.
namespace emulated {

enum class NameMatch {
  kLongNames,          // names resolve by their own spelling, letter case ignored
  kLongAndShortNames,  // a name may also be given as its 8.3 short name
};

struct PathComponent {
  std::string given;    // as written in the Windows path (ANSI)
  std::string host;     // the host name it resolved to (UTF-8)
  std::string hostDir;  // the host directory that holds it
  bool exists = false;
  bool dots = false;  // "." or "..", which only move within the path
};

struct ResolvedPath {
  bool valid = false;                     // false for an empty or a UNC path
  std::string prefix;                     // the drive and root as written: "C:\", "c:", "\", ""
  std::vector<PathComponent> components;  // in the order written
  bool trailingSeparator = false;
  bool exists = false;  // the whole path names an existing host entry
  std::string host;     // the host path
};

ResolvedPath resolveWindowsPath(std::string_view windowsPath, NameMatch match);

// Where a host path lies in the namespace: its drive letter (upper case) and
// the names below the drive's root.
struct HostLocation {
  char drive = 'Z';
  std::string root;                // host directory of the drive
  std::vector<std::string> names;  // host names below the root
};
HostLocation locateHostPath(std::string_view hostPath);

}  // namespace emulated
