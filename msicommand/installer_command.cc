#include "msicommand/installer_command.h"

#include <cstdio>

namespace {
// The composition of the installer command is not part of this build yet:
// a run stops here with a code of its own instead of running anything.
constexpr uint32_t kCompositionNotBuilt = 8116;
}  // namespace

uint32_t composeInstallerCommand(LauncherContext& /*context*/, char* buffer,
                                 std::size_t bufferSize) {
  if (buffer != nullptr && bufferSize > 0) buffer[0] = '\0';
  std::fputs("The installer command composition is not available in this build.\n", stderr);
  return kCompositionNotBuilt;
}
