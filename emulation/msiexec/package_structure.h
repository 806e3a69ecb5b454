#pragma once

#include <string>

// An installer package is a compound file whose string pool holds every
// text of its tables and whose table of columns describes every table.
// libmsi does not survive a damaged one: a stream that cannot be opened,
// string lengths that do not match the string data, or columns numbered
// wrongly make it read beyond its buffers or through null pointers. So a
// package is looked at here first, with libgsf, and only a sound one goes
// to libmsi.
namespace msiexec {

// True when the host file is a compound file whose every storage and stream
// opens, whose string pool matches its string data and whose columns are
// numbered 1 to n in each table; false with the reason in *error otherwise.
bool isSoundPackageFile(const std::string& hostPath, std::string* error);

}  // namespace msiexec
