#include "emulation/msiexec/installer_options.h"

#include <string_view>

#include "base/ascii.h"
#include "emulation/msiexec/installer_codes.h"

namespace msiexec {
namespace {

bool isSwitch(std::string_view arg) { return arg.size() > 1 && (arg[0] == '/' || arg[0] == '-'); }

// A property name as Windows Installer accepts one: a letter or underscore,
// then letters, digits, underscores and periods.
bool isPropertyName(std::string_view name) {
  if (name.empty() || !(ascii::isAlpha(name[0]) || name[0] == '_')) return false;
  for (char c : name) {
    if (!(ascii::isAlnum(c) || c == '_' || c == '.')) return false;
  }
  return true;
}

// "l" followed by log modes, for example "l*v" or "L*V+".
bool parseLogSwitch(std::string_view name, bool* append) {
  if (name.empty() || ascii::toLower(name[0]) != 'l') return false;
  static constexpr std::string_view kModes = "iwearucmopvx+!*";
  *append = false;
  for (char c : name.substr(1)) {
    if (kModes.find(ascii::toLower(c)) == std::string_view::npos) return false;
    if (c == '+') *append = true;
  }
  return true;
}

// "q", "qn", "qb", "qr", "qf", each optionally followed by the modifiers
// "+", "-" and "!" that change only what a dialog shows.
bool parseUiSwitch(std::string_view name, UiLevel* level) {
  if (name.empty() || ascii::toLower(name[0]) != 'q') return false;
  std::size_t i = 1;
  *level = UiLevel::kNone;
  if (i < name.size()) {
    switch (ascii::toLower(name[i])) {
      case 'n':
        *level = UiLevel::kNone;
        ++i;
        break;
      case 'b':
        *level = UiLevel::kBasic;
        ++i;
        break;
      case 'r':
        *level = UiLevel::kReduced;
        ++i;
        break;
      case 'f':
        *level = UiLevel::kFull;
        ++i;
        break;
      default:
        break;
    }
  }
  for (; i < name.size(); ++i) {
    if (name[i] != '+' && name[i] != '-' && name[i] != '!') return false;
  }
  return true;
}

bool isBlank(char c) { return c == ' ' || c == '\t'; }

uint32_t refuse(std::string* error, std::string reason) {
  if (error) *error = std::move(reason);
  return kInvalidCommandLine;
}

// "/i" and "/x" (and their long names) name what the run acts on, in the
// next word or, for a product code, in the same one ("/I{code}").
bool parseTargetSwitch(std::string_view name, bool* uninstall, std::string_view* attached) {
  *attached = {};
  if (ascii::equalsNoCase(name, "i") || ascii::equalsNoCase(name, "package")) {
    *uninstall = false;
    return true;
  }
  if (ascii::equalsNoCase(name, "x") || ascii::equalsNoCase(name, "uninstall")) {
    *uninstall = true;
    return true;
  }
  if (name.size() > 1 && name[1] == '{' &&
      (ascii::toLower(name[0]) == 'i' || ascii::toLower(name[0]) == 'x')) {
    *uninstall = ascii::toLower(name[0]) == 'x';
    *attached = name.substr(1);
    return true;
  }
  return false;
}

}  // namespace

bool isProductCode(std::string_view text) {
  if (text.size() != 38 || text.front() != '{' || text.back() != '}') return false;
  for (std::size_t i = 1; i < 37; ++i) {
    const bool dash = i == 9 || i == 14 || i == 19 || i == 24;
    if (dash ? text[i] != '-' : !ascii::isXDigit(text[i])) return false;
  }
  return true;
}

std::vector<std::string> splitInstallerCommandLine(std::string_view line) {
  std::size_t i = 0;
  while (i < line.size() && isBlank(line[i])) ++i;
  if (i < line.size() && line[i] == '"') {
    const std::size_t close = line.find('"', i + 1);
    i = close == std::string_view::npos ? line.size() : close + 1;
  } else {
    while (i < line.size() && !isBlank(line[i])) ++i;
  }

  std::vector<std::string> words;
  for (;;) {
    while (i < line.size() && isBlank(line[i])) ++i;
    if (i >= line.size()) break;
    std::string word;
    bool quoted = false;
    for (; i < line.size() && (quoted || !isBlank(line[i])); ++i) {
      if (line[i] != '"') {
        word += line[i];
      } else if (quoted && i + 1 < line.size() && line[i + 1] == '"') {
        word += '"';
        ++i;
      } else {
        quoted = !quoted;
      }
    }
    words.push_back(std::move(word));
  }
  return words;
}

uint32_t parseInstallerOptions(const std::vector<std::string>& args, InstallerOptions* options,
                               std::string* error) {
  *options = InstallerOptions{};
  bool packageGiven = false;
  bool logGiven = false;
  bool uiGiven = false;
  for (std::size_t i = 0; i < args.size(); ++i) {
    const std::string& arg = args[i];
    if (isSwitch(arg)) {
      const std::string_view name = std::string_view(arg).substr(1);
      bool append = false;
      UiLevel level = UiLevel::kFull;
      bool uninstall = false;
      std::string_view attached;
      if (parseTargetSwitch(name, &uninstall, &attached)) {
        if (packageGiven) return refuse(error, "the package or product is named twice");
        std::string target(attached);
        if (attached.empty()) {
          if (i + 1 >= args.size() || args[i + 1].empty()) {
            return refuse(error, "\"" + arg + "\" needs a package or a product code");
          }
          target = args[++i];
        }
        // Braces around the whole word make it a product code, never a file.
        if (target.front() == '{' && target.back() == '}') {
          if (!isProductCode(target)) return refuse(error, "\"" + target + "\" is no product code");
          options->productCode = target;
        } else if (!attached.empty()) {
          return refuse(error, "unknown option \"" + arg + "\"");
        } else {
          options->packagePath = target;
        }
        options->uninstall = uninstall;
        packageGiven = true;
      } else if (parseLogSwitch(name, &append)) {
        if (logGiven) return refuse(error, "the log file is named twice");
        if (i + 1 >= args.size() || args[i + 1].empty()) {
          return refuse(error, "\"" + arg + "\" needs a log file");
        }
        options->logPath = args[++i];
        options->appendToLog = append;
        logGiven = true;
      } else if (parseUiSwitch(name, &level)) {
        if (uiGiven) return refuse(error, "the user interface level is given twice");
        options->uiLevel = level;
        uiGiven = true;
      } else {
        return refuse(error, "unknown option \"" + arg + "\"");
      }
      continue;
    }
    const std::size_t equals = arg.find('=');
    if (equals == std::string::npos || !isPropertyName(std::string_view(arg).substr(0, equals))) {
      return refuse(error, "\"" + arg + "\" is neither an option nor a property");
    }
    options->properties.emplace_back(arg.substr(0, equals), arg.substr(equals + 1));
  }
  if (!packageGiven) {
    return refuse(error, "no package or product to act on (\"/i package\", \"/x product code\")");
  }
  return 0;
}

}  // namespace msiexec
