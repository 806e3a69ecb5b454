#pragma once

#include <cstdint>

#include "base/fixed_text.h"

// The directories a run reads from: the program's own directory (the
// installation image) and the directory of its message file.

// The program file's directory, up to and including its last backslash,
// into imageDir (left empty when the name holds no backslash). 0, or the
// system's error code when the program's file name cannot be had.
uint32_t programDirectory(PathText& imageDir);

// The message directory below imageDir for the run's language:
// "<imageDir>\launchmsg\<locale>" for a supported /i code, or without /i for
// the system default language; "<imageDir>\launchmsg\en_US" otherwise.
// Because imageDir ends in a backslash, the result carries a doubled
// backslash; the file system accepts it.
void chooseMessageDir(const PathText& imageDir, bool languageGiven, const char* languageCode,
                      PathText& messageDir);
