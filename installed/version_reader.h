#pragma once

#include <cstdint>

#include "installed/install_copy.h"

// Fills record from the values of a "CurrentVersion" key: "Version",
// "Release", "Modification", "Fix Level" (skipped when withFixLevel is false:
// release 8 has none) and "Service Level". Answers the registry's code of the
// open or of the first read that failed; the fields read before it stay.
uint32_t readVersionKey(const char* keyName, uint32_t access, bool withFixLevel,
                        CopyVersion* record);
