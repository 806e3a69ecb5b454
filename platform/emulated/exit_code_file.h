#pragma once

#include <string>

// The channel for full 32-bit exit codes: a parent names a fresh file in
// the child's KV7_EXIT_CODE_FILE, the child's finishProgram writes its code
// there in decimal, and the parent reads it back after the child ended.
namespace emulated {

// Creates an empty exit-code file in the machine directory; empty on
// failure.
std::string newExitCodeFile();

// The child's exit code: the one it wrote to the file, else its host exit
// status, or 128 + N when signal N ended it. Removes the file.
uint32_t collectExitCode(const std::string& file, int waitStatus);

}  // namespace emulated
