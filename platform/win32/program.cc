#include "platform/platform.h"

namespace platform {

// A real Windows needs no preparation before a program runs, and its runtime
// hands the program its arguments in the ANSI code page.
uint32_t startProgram(int, char**) { return 0; }

// Windows keeps the whole 32-bit exit code that main returns.
int finishProgram(uint32_t exitCode) { return static_cast<int>(exitCode); }

}  // namespace platform
