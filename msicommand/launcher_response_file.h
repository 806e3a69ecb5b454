#pragma once

#include <cstdint>

class LauncherContext;

// Loads the response file into the context (once) and turns its load status
// into the launcher's messages: 0 or 1 when the file can be used.
int32_t loadLauncherResponseFile(LauncherContext& context, const char* responseFilePath);

// Loads the file and takes COPY_NAME and FILE from it for what the command
// line did not give. 0 to go on.
int32_t readLauncherResponseKeywords(LauncherContext& context, const char* responseFilePath);
