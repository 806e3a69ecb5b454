#pragma once

#include <cstdint>

// The launcher's whole run: takes the single-setup guard, builds the
// context, has the installer command composed, and prints it
// (-showcommand) or runs it. Returns the 32-bit exit code of the run: the
// installer's own, or 8100 (another setup runs), 8115 (the launcher
// failed), the composition's code with -showcommand, or the runner's code.
uint32_t runLauncher(int argc, char** argv);

// True when an argument after the program name begins with "-showcommand",
// letter case ignored (a longer word counts too).
bool showCommandRequested(int argc, char** argv);
