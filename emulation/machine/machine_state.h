#pragma once

#include <string>

// Parts of the machine's state that only the emulation itself uses.
namespace emulated {

// The machine directory and its real path (symbolic links resolved), as the
// host names paths under it in /proc/self/exe and the current directory.
struct MachineLocation {
  std::string dir;
  std::string realDir;
  std::string setupError;  // why the directory could not be prepared, or empty
};
MachineLocation machineLocation();

// Forgets the machine of this process: the next call finds it again from
// KV7_MACHINE (used when a test machine goes away).
void forgetMachine();

// Makes the directory a machine: the standard folders and, when it has none,
// an empty registry file.
bool prepareMachineDirectory(const std::string& dir, std::string* error);

// Ends the program at once with the launcher's failure code 8115, as a
// malformed registry does, after writing the message on standard error: for
// what a real Windows machine never holds (a file that never ends, one
// larger than any of its kind).
[[noreturn]] void stopProgram(const std::string& message);

}  // namespace emulated
