#pragma once

#include <cstddef>
#include <cstdint>

class LauncherContext;

// Writes the whole msiexec.exe command line for this run into buffer (of
// bufferSize bytes, the terminator included). 0 on success; otherwise the
// failing step's code, the reason already shown to the user and the
// context's errorFlag set.
uint32_t composeInstallerCommand(LauncherContext& context, char* buffer, std::size_t bufferSize);
