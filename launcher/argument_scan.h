#pragma once

#include <cstdint>

// Walks the arguments after the program name and checks that each is an
// option of the launcher, comparing the first two characters exactly (only
// "-showcommand" is compared over its 12 characters, in lower case). The
// argument after /l, /u, /p, /i or /n (either letter case, "-" or "/") is
// that option's value and is passed over. 0; kHelpRequested for "-?", "/?",
// "-h" or "/h"; kUnknownArgument for anything else. The first of those found
// decides.
uint32_t scanArguments(int argc, char** argv);
