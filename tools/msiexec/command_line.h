#pragma once

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

// The installer's command line, as the launcher composes it: "/i" and the
// package, "/l" with log modes and a log file, a user-interface level, and
// public properties NAME=value. Everything else is refused.
namespace msiexec {

enum class UiLevel { kFull, kReduced, kBasic, kNone };

struct InstallerOptions {
  std::string packagePath;   // a Windows path, as given
  std::string logPath;       // empty: no log
  bool appendToLog = false;  // "+" among the log modes
  UiLevel uiLevel = UiLevel::kFull;
  // In command-line order; a later value of the same name wins.
  std::vector<std::pair<std::string, std::string>> properties;
};

// Parses the arguments after the program name (already taken apart as a
// Windows program's runtime does, so quotes are gone). Answers 0, or
// kInvalidCommandLine with the reason in *error.
uint32_t parseInstallerOptions(const std::vector<std::string>& args, InstallerOptions* options,
                               std::string* error);

}  // namespace msiexec
