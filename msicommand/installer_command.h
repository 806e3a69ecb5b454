#pragma once

#include <cstddef>
#include <cstdint>

#include "base/fixed_text.h"

class LauncherContext;

// The installer package's file name in the installation image.
inline constexpr char kPackageFileName[] = "QOR Telvar Driver for ODBC, CLI, and .NET.msi";

// The package path that the command names: imageDir (which ends in a
// backslash) and one more backslash before the name, a doubled backslash
// that the file system accepts. False when it does not fit a path buffer.
inline bool packagePathFor(const PathText& imageDir, PathText& package) {
  return package.assign(imageDir.view()) && package.append("\\") &&
         package.append(kPackageFileName);
}

// Writes the whole msiexec.exe command line for this run into buffer (of
// bufferSize bytes, the terminator included). 0 on success; otherwise the
// failing step's code, the reason already shown to the user and the
// context's errorFlag set.
uint32_t composeInstallerCommand(LauncherContext& context, char* buffer, std::size_t bufferSize);
