#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

// The installer's command line, as the launcher composes it: "/i" and the
// package, "/l" with log modes and a log file, a user-interface level, and
// public properties NAME=value; and as deployment tools remove a product:
// "/x" and the package or the product code. Everything else is refused.
namespace msiexec {

enum class UiLevel { kFull, kReduced, kBasic, kNone };

struct InstallerOptions {
  bool uninstall = false;   // "/x": remove the product
  std::string packagePath;  // a Windows path, as given; empty when productCode is
  // "/i {code}" or "/x {code}", also written without the blank ("/I{code}",
  // as the uninstall key's commands write it): an installed product, acted
  // on through its cached package.
  std::string productCode;
  std::string logPath;       // empty: no log
  bool appendToLog = false;  // "+" among the log modes
  UiLevel uiLevel = UiLevel::kFull;
  // In command-line order; a later value of the same name wins.
  std::vector<std::pair<std::string, std::string>> properties;
};

// Takes the installer's whole command line (GetCommandLineA) apart by
// msiexec's own rules, which are not the C runtime's: the program part (in
// quotes, or up to the first blank) is dropped; blanks outside quotes
// separate the words; a double quote opens or closes quoting and is dropped;
// inside quotes two double quotes stand for one; a backslash is always just
// a backslash, so INSTALLDIR="C:\apps\SITEA\" is C:\apps\SITEA\.
std::vector<std::string> splitInstallerCommandLine(std::string_view commandLine);

// Parses the words after the program name, as splitInstallerCommandLine
// gives them (quotes are gone). Answers 0, or kInvalidCommandLine with the
// reason in *error.
uint32_t parseInstallerOptions(const std::vector<std::string>& args, InstallerOptions* options,
                               std::string* error);

// Whether the text is a product code: a GUID in braces, "{XXXXXXXX-XXXX-XXXX-XXXX-XXXXXXXXXXXX}".
bool isProductCode(std::string_view text);

}  // namespace msiexec
