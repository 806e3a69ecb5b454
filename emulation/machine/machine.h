#pragma once

#include <memory>
#include <string>
#include <string_view>

#include "emulation/machine/registry_file.h"

// The emulated Windows machine that answers the platform interface on hosts
// other than Windows. A machine is a host directory: the environment
// variable KV7_MACHINE names it, else $HOME/.kv7/machine. It holds the
// registry (system.reg), the drives (drive_c, ... ; Z: is the host root),
// the shares (unc/SERVER/SHARE is \\SERVER\SHARE), debug.log and the lock
// files of named mutexes.
//
// Windows paths are texts in the machine's ANSI code page (1252); host paths
// are UTF-8.
namespace emulated {

// The host directory of this process's machine, created on first use with
// an empty registry and the standard folders.
std::string machineDirectory();
// The registry file of this process's machine.
std::string registryFilePath();

// The host file that a Windows path names. Every component resolves without
// regard to letter case (an exact spelling first, then the first match in
// sorted order), or as the 8.3 short name of an entry; components that do
// not exist keep their spelling, so the result can be created. Relative paths resolve against the
// current directory, "\..." against the root of its drive or share. Empty for a path this machine
// cannot reach (empty, a name Windows refuses, a server or share it does not have).
std::string toHostPath(std::string_view windowsPath);
// The Windows path of a host path: inside the machine's drive_x it is
// "X:\...", inside unc/SERVER/SHARE "\\SERVER\SHARE\...", anywhere else
// "Z:\...". A relative host path is taken from the host's current directory.
std::string toWindowsPath(std::string_view hostPath);

// Makes hostDir the machine of this process (creating it when needed) and
// loads its registry afresh. False with *error when the directory cannot be
// made or its registry file is malformed (the registry is then unusable
// until the next call).
bool useMachine(const std::string& hostDir, std::string* error);

// The registry of this process's machine, read once. Null, with the file
// and line of the fault in *error, when the registry file is malformed.
// To change the registry of a machine (as an installer does), load a
// RegistryFile from registryFilePath(), change it and save() it back: keys
// and values not changed are kept as they were.
std::shared_ptr<const RegistryFile> machineRegistry(std::string* error);

// The user name of the emulated machine's user folder C:\Users\<name>: the
// host user's name.
std::string hostUserName();

}  // namespace emulated
