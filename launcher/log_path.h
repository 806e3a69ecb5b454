#pragma once

#include <cstddef>
#include <ctime>
#include <string>

#include "base/fixed_text.h"

// The log file of a run started without /l: a time-stamped file in the
// KV7LOG directory of the user's documents folder, for example
// C:\Users\ANNA~1\DOCUME~1\KV7LOG\KV7-kvdriver_log-Fri Dec 04 06_24_09 2026.log

// The base of the default log file's name.
constexpr char kLogBaseName[] = "kvdriver_log";

// The user's documents folder into out (at least 261 bytes). 0, or -1 when
// out is null or too small, or the folder cannot be had.
int myDocumentsFolder(char* out, std::size_t capacity);

// The 24-character local-time form of the time stamp with every ":" made a
// "_": English weekday and month, two-digit day and time fields, 24-hour
// clock, then the year ("Fri Dec 04 06_24_09 2026"), the same on every
// platform.
std::string logTimeStamp(const std::tm& localTime);

// Writes the default log path with the given base name into out. The log
// directory is not created here. 1 on success; 0 (out untouched) when the
// documents folder or its short form cannot be had, or the path does not fit.
int defaultLogPath(PathText& out, const char* base);
