#pragma once

#include <string>

// An installer package is a compound file whose string pool holds every
// text of its tables. libmsi does not survive a damaged one: a stream that
// cannot be opened, or string lengths that run past the pool or out of
// range, make it read beyond its buffers. So a package is looked at here
// first, with libgsf, and only a sound one goes to libmsi.
namespace msiexec {

// True when the host file is a compound file whose every storage and stream
// opens and whose string pool libmsi can walk; false with the reason in
// *error otherwise.
bool isSoundPackageFile(const std::string& hostPath, std::string* error);

}  // namespace msiexec
