#pragma once

#include <string>
#include <string_view>
#include <vector>

// A Windows command line taken apart as a Windows program's runtime does.
namespace emulated {

struct CommandLine {
  std::string program;  // the first word: in double quotes, or up to the first blank
  std::vector<std::string> arguments;
};

// The arguments follow the C runtime's rules: blanks separate them unless
// quoted; 2n backslashes before a quote give n backslashes and the quote
// opens or closes quoting; 2n+1 give n and a literal quote; a doubled quote
// inside quotes is a literal quote; other backslashes are literal.
CommandLine splitCommandLine(std::string_view line);

// The command line that splitCommandLine takes back apart into the same
// program and arguments: the program in quotes; an argument in quotes when it
// is empty or holds a blank; a quote escaped with a backslash, and the
// backslashes before a quote doubled. A host shell starts programs with
// arguments only; this is the line they then see.
std::string joinCommandLine(std::string_view program, const std::vector<std::string>& arguments);

// The environment variable that carries a child's command line as its parent
// wrote it, beside the arguments taken apart from it.
inline constexpr char kCommandLineVariable[] = "KV7_COMMAND_LINE";

// The arguments a program was started with (after its name), in the ANSI
// code page: as they are when a program of the machine started it (its line
// in KV7_COMMAND_LINE gives these arguments), for they are ANSI already; else
// typed in a host shell, and converted from the host's character set as
// Windows converts a command line (hostTextToAnsi).
std::vector<std::string> ansiArguments(const std::vector<std::string>& given);

}  // namespace emulated
