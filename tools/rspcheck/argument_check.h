#pragma once

#include <string>
#include <vector>

// Checks setup's command line before setup runs, reading the arguments with
// setup's own code (the joined argument line, the option search, the
// argument scan): each option setup will see, and every option letter that
// setup finds after a "-" or "/" inside another option's value or a path,
// with what setup will do with it. Only the line is judged; files, folders
// and installed copies are not looked at, as they may differ where setup
// runs.

struct ArgumentFinding {
  enum class Kind { kNote, kWarning, kError };
  Kind kind;
  int argument;  // 1-based argument the finding is about; 0 for the whole line
  std::string text;
};

struct ArgumentReport {
  std::vector<ArgumentFinding> findings;  // notes first, then in argument order
  int options = 0;                        // options setup sees
  int errors = 0;
  int warnings = 0;
};

// args are setup's arguments (the words after the program name). imageDir,
// when not empty, is the installation image's directory, as a Windows path:
// its length is held against the longest that setup and Windows can use.
ArgumentReport checkArguments(const std::vector<std::string>& args, const std::string& imageDir);

// The report as lines: "option /x: ..." and "image directory: ..." notes,
// "argument N: error: ..." and "argument N: warning: ..." (or "arguments:
// ..." for the whole line), then "arguments: N options, N errors, N
// warnings".
std::string argumentReportText(const ArgumentReport& report);
