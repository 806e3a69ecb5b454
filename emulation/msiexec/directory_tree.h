#pragma once

#include <map>
#include <string>
#include <string_view>
#include <vector>

#include "emulation/msiexec/package_tables.h"
#include "emulation/msiexec/property_table.h"

// Where each directory of the package lies on the target machine. A
// directory whose property is set (on the command line, by the system
// folders or by a custom action) lies there; any other lies below its
// parent under its target name; a root lies at TARGETDIR, else ROOTDRIVE.
// Every path ends in a backslash, and each directory's property is set to
// its path afterwards, so that "[INSTALLDIR]" formats to it.
namespace msiexec {

// Paths are at most 260 characters long; a longer one, a parent that does
// not exist and a cycle of parents fail with the reason in *error.
bool resolveDirectories(const std::vector<DirectoryRow>& rows, PropertyTable* properties,
                        std::map<std::string, std::string>* paths, std::string* error);

// The long name of a "short|long" name column (the one name when there is
// no "|").
std::string longName(const std::string& names);

// The path with a backslash at its end.
std::string withTrailingBackslash(std::string path);

// Whether a Windows path is full: it starts with a drive or a backslash.
bool isFullPath(std::string_view windowsPath);

// The folder of a Windows path, with its final backslash; empty when the
// path has none.
std::string directoryOf(std::string_view windowsPath);

// The host path of one of this machine's Windows paths (UTF-8); empty when
// it names none.
std::string hostPathOf(std::string_view windowsPath);

}  // namespace msiexec
