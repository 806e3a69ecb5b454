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

}  // namespace emulated
