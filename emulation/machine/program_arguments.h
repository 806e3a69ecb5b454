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

// The line a parent on the machine wrote for this process (KV7_COMMAND_LINE)
// when it gives these arguments, the ones this process was started with
// after its name; null when there is none, or when it was left behind by a
// host program between and so belongs to another process.
const char* parentCommandLine(const std::vector<std::string>& arguments);

// Arguments typed in a host shell, converted from the host's character set
// into the ANSI code page as Windows converts a command line
// (hostTextToAnsi). Those a parent on the machine wrote are ANSI already.
std::vector<std::string> hostArgumentsInAnsi(const std::vector<std::string>& typed);

}  // namespace emulated
