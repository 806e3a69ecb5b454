#pragma once

#include <cstdint>

// What the scan took an argument for.
enum class ArgumentRole {
  kNotReached,  // the scan ended before it
  kOption,      // an option (or -showcommand)
  kValue,       // the value of the option before it
  kHelp,        // a help form: the scan ends here
  kUnknown,     // no option of the launcher: the scan ends here
};

// Walks the arguments after the program name and checks that each is an
// option of the launcher, comparing the first two characters exactly (only
// "-showcommand" is compared over its 12 characters, in lower case). The
// argument after /l, /u, /p, /i or /n (either letter case, "-" or "/") is
// that option's value and is passed over. 0; kHelpRequested for "-?", "/?",
// "-h" or "/h"; kUnknownArgument for anything else. The first of those found
// decides. With roles (argc entries), also the role of each argument in
// roles[i] (roles[0], the program name, stays kNotReached).
uint32_t scanArguments(int argc, char** argv, ArgumentRole* roles = nullptr);
