#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "emulation/machine/refused_names.h"

// The machine's file namespace: drive X: is the host directory drive_x of
// the machine, Z: is the host root, and the share \\SERVER\SHARE is the host
// directory unc/SERVER/SHARE of the machine.
namespace emulated {

// ERROR_BAD_NETPATH: the server of a \\SERVER\SHARE path does not exist.
constexpr uint32_t kErrorBadNetPath = 53;
// ERROR_BAD_NET_NAME: the server exists, the share does not.
constexpr uint32_t kErrorBadNetName = 67;

struct PathComponent {
  std::string given;    // as written in the Windows path (ANSI)
  std::string host;     // the host name it resolved to (UTF-8)
  std::string hostDir;  // the host directory that holds it
  bool exists = false;
  bool dots = false;  // "." or "..", which only move within the path
};

struct ResolvedPath {
  bool valid = false;  // false for an empty path, and one that names no share
  // The drive and root as written: "C:\", "c:", "\", "", or the share
  // "\\server\share\".
  std::string prefix;
  std::vector<PathComponent> components;  // in the order written
  bool trailingSeparator = false;
  bool exists = false;  // the whole path names an existing host entry
  std::string host;     // the host path
  // A path Windows refuses has no host path: error is 123 when a name holds
  // a refused character (or the path names a server without a share), 3
  // when a device name stands before the last name, 53 when its server and
  // 67 when its share does not exist.
  uint32_t error = 0;
  // The last name is a device name; such a path has no host path either.
  DeviceName device = DeviceName::kNone;
};

// Resolves each name of the path in its host directory: the exact spelling,
// else the first name in sorted order that differs only in letter case,
// else the entry whose 8.3 short name it is (Windows accepts short names
// wherever it accepts paths).
ResolvedPath resolveWindowsPath(std::string_view windowsPath);

// What resolveWindowsPath answers for a path's host path and existence, and
// the host directory and name of its last component, without the rest of the
// components. The directories that paths of the form X:\dir\name lie in are
// resolved once and remembered while the directory listings held stay (so a
// run that asks for many files of one directory walks it once).
struct LocatedPath {
  bool valid = false;
  bool exists = false;
  std::string host;
  std::string lastDir;   // host directory of the last name; empty when there is none
  std::string lastName;  // host name of the last component
  uint32_t error = 0;    // as ResolvedPath's
  DeviceName device = DeviceName::kNone;  // as ResolvedPath's
};
LocatedPath locateWindowsPath(std::string_view windowsPath);

// Where a host path lies in the namespace: its drive letter (upper case), or
// its share, and the names below the drive's or the share's root.
struct HostLocation {
  char drive = 'Z';                // '\0' on a share
  std::string server, share;       // host names of the share's folders, on a share
  std::string root;                // host directory of the drive or the share
  std::vector<std::string> names;  // host names below the root
};
HostLocation locateHostPath(std::string_view hostPath);

}  // namespace emulated
