#pragma once

#include "emulation/msiexec/verbose_log.h"

// The messages that the libraries reading packages (libgsf, libmsi, GLib)
// would write on standard error go to the installer's log instead: a damaged
// package is the installer's to report, with its reason and its exit code,
// and a quiet installation says nothing on standard error beyond that.
namespace msiexec {

// From now on the libraries' warnings and errors go to log (its lines name
// the library and the level); with null, or while the log is not open, they
// are dropped. Their debugging and informational messages are dropped, as
// the libraries' own default does.
void sendLibraryMessagesTo(VerboseLog* log);

}  // namespace msiexec
