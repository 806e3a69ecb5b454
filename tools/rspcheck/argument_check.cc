#include "tools/rspcheck/argument_check.h"

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <string_view>

#include "base/ascii.h"
#include "base/fixed_text.h"
#include "launcher/argument_scan.h"
#include "launcher/command_options.h"
#include "launcher/language_table.h"
#include "launcher/launcher_codes.h"
#include "launcher/path_utils.h"
#include "launcher/program_paths.h"
#include "msicommand/installer_command.h"
#include "tools/rspcheck/printable_text.h"

namespace {

// Windows opens no file and starts no program by a path longer than 259
// characters: MAX_PATH, 260, holds the terminator.
constexpr std::size_t kWindowsMaxPath = 260;
constexpr char kSetupProgram[] = "setup.exe";
// The letters setup's option search looks for after "-" or "/".
constexpr std::string_view kOptionLetters = "ilmnopuILMNOPU";

std::string quoted(std::string_view text) { return "'" + printableText(text) + "'"; }

std::string exitWith(uint32_t code) {
  return "ends with exit code " + std::to_string(kLauncherFailed) + " (" + std::to_string(code) +
         ")";
}

bool isAbsolutePath(std::string_view path) {
  return path.find(':') != std::string_view::npos || path.substr(0, 2) == "\\\\";
}

// The argument with every "-" or "/" before an option letter written
// otherwise: "_" for "-", and in a path "\" for "/". From its second
// character on, unless the whole argument is another option's value.
std::string safeSpelling(std::string_view argument, bool isValue, bool isPath) {
  std::string safe(argument);
  for (std::size_t i = isValue ? 0 : 1; i + 1 < safe.size(); ++i) {
    if ((safe[i] != '-' && safe[i] != '/') ||
        kOptionLetters.find(safe[i + 1]) == std::string::npos) {
      continue;
    }
    safe[i] = safe[i] == '/' && isPath ? '\\' : '_';
  }
  return safe;
}

// The longest directory, without its trailing backslash, from which the path
// that make forms out of the directory with its backslash still fits.
template <class Make>
std::size_t longestDirectory(Make make) {
  std::size_t longest = 0;
  for (std::size_t n = 1; n < PathText::kMaxLength; ++n) {
    PathText dir;
    PathText made;
    if (dir.assign(std::string(n, 'x') + "\\") && make(dir, made) && !made.empty()) longest = n;
  }
  return longest;
}

class Checker {
 public:
  Checker(const std::vector<std::string>& args, ArgumentReport& report)
      : words_(args), report_(report) {
    words_.insert(words_.begin(), "setup");
    for (std::string& word : words_) argv_.push_back(word.data());
    argv_.push_back(nullptr);
    argc_ = static_cast<int>(words_.size());
  }

  void check(const std::string& imageDir) {
    if (argc_ == 1) {
      note(0,
           "no arguments: setup starts an interactive installation, detached from its console, "
           "and logs to a time-stamped file in KV7LOG of the documents folder");
    }
    ArgumentLineText line;
    if (!joinArguments(argc_, argv_.data(), line)) {
      std::size_t total = 0;
      for (int i = 1; i < argc_; ++i) total += words_[i].size();
      error(0, "the arguments hold " + std::to_string(total) + " characters, more than the " +
                   std::to_string(kMaxArgumentCharacters) +
                   " that setup takes: it reads no option at all and " +
                   exitWith(kArgumentsTooLong));
      checkImage(imageDir, nullptr);
      return;
    }
    line_ = line.view();
    const CommandOptions options(line_);
    options_ = &options;
    roles_.assign(static_cast<std::size_t>(argc_), ArgumentRole::kNotReached);
    scanArguments(argc_, argv_.data(), roles_.data());
    starts_.clear();
    std::size_t at = 0;
    for (int i = 1; i < argc_; ++i) {
      starts_.push_back(at);
      at += words_[i].size() + 1;
    }
    for (const FoundOption& found : options.all()) {
      if (found.outcome != OptionOutcome::kAbsent) checkOption(found);
    }
    checkScan();
    checkImage(imageDir, &options);
    options_ = nullptr;
  }

 private:
  void add(ArgumentFinding::Kind kind, int argument, std::string text) {
    report_.findings.push_back({kind, argument, std::move(text)});
  }
  void note(int argument, std::string text) {
    add(ArgumentFinding::Kind::kNote, argument, std::move(text));
  }
  void error(int argument, std::string text) {
    ++report_.errors;
    add(ArgumentFinding::Kind::kError, argument, std::move(text));
  }
  void warning(int argument, std::string text) {
    ++report_.warnings;
    add(ArgumentFinding::Kind::kWarning, argument, std::move(text));
  }

  // The argument that holds position at of the joined line, and where in it.
  int argumentAt(std::size_t at, std::size_t* offset) const {
    auto next = std::upper_bound(starts_.begin(), starts_.end(), at);
    const std::size_t index = static_cast<std::size_t>(next - starts_.begin()) - 1;
    *offset = at - starts_[index];
    return static_cast<int>(index) + 1;
  }

  // The argument that setup's scan took as option letter, written as an
  // option of its own; 0 when there is none.
  int ownOption(char letter) const {
    for (int i = 1; i < argc_; ++i) {
      const std::string& word = words_[static_cast<std::size_t>(i)];
      if (roles_[static_cast<std::size_t>(i)] == ArgumentRole::kOption && word.size() >= 2 &&
          (word[0] == '-' || word[0] == '/') && ascii::toLower(word[1]) == letter) {
        return i;
      }
    }
    return 0;
  }

  // The option whose value argument i is, as written ("/l"); empty when it
  // is none's.
  std::string ownerOf(int i) const {
    if (i < 2 || roles_[static_cast<std::size_t>(i)] != ArgumentRole::kValue) return "";
    return words_[static_cast<std::size_t>(i) - 1].substr(0, 2);
  }

  struct Effect {
    bool refuses = false;
    std::string text;  // what setup does with the option
  };

  // What setup does with an option it found, as its validation and
  // composition take it.
  Effect effectOf(const FoundOption& found, bool hidden) const {
    const CommandOptions& o = *options_;
    const std::string value(found.value);
    const std::string shown = quoted(found.value);
    const bool unattended = o.responseFile().given();
    auto refused = [](const std::string& why, uint32_t code) {
      return Effect{true, why + ", so it refuses the line, shows its usage and " + exitWith(code)};
    };
    auto tooLong = [&](std::size_t limit) {
      return "its value is longer than " + std::to_string(limit) +
             " characters, so setup takes no /" + std::string(1, found.letter) + " at all";
    };
    switch (found.letter) {
      case 'i':
        if (found.outcome == OptionOutcome::kEmpty)
          return refused("setup finds no language code after it", kLanguageMissing);
        if (found.outcome == OptionOutcome::kTooLong) return {false, tooLong(kPathOptionLimit)};
        if (!isSupportedLanguage(value.c_str())) {
          return refused("setup supports no language code " + shown, kUnsupportedLanguage);
        }
        return {false, "setup installs in the language " + shown + " and shows its messages in it"};
      case 'l':
        if (found.outcome == OptionOutcome::kEmpty)
          return refused("setup finds no log path after it", kLogPathEmpty);
        if (found.outcome == OptionOutcome::kTooLong) {
          return refused(tooLong(kPathOptionLimit) + ", and no default log file either",
                         kLogPathEmpty);
        }
        if (!hasNoIllegalPathChars(value.c_str())) {
          return refused(
              "setup finds the log path " + shown + " holding a character no path may hold",
              kLogPathIllegal);
        }
        return {false, "setup and the installer write their logs to " + shown +
                           (isAbsolutePath(value) ? "" : " in the current directory")};
      case 'u':
        if (found.outcome == OptionOutcome::kEmpty) {
          return refused("setup finds no response file after it", kResponseFileMissing);
        }
        if (found.outcome == OptionOutcome::kTooLong) {
          return {false, tooLong(kPathOptionLimit) +
                             ": it runs interactively, with message boxes, not unattended"};
        }
        // Found inside another argument, its value is hardly a response file.
        return {hidden, "setup runs unattended from the response file " + shown +
                            (isAbsolutePath(value) ? "" : " in the current directory") +
                            (hidden ? ": unless that file exists, it refuses the line and " +
                                          exitWith(kResponseFileInvalid)
                                    : "")};
      case 'm':
        if (!unattended) return refused("setup takes /m only with /u", kBasicUiWithoutResponseFile);
        return {false,
                "setup has the installer show its basic progress window (/qb) instead of running "
                "silently (/qn)"};
      case 'p':
        if (found.outcome == OptionOutcome::kEmpty)
          return refused("setup finds no install path after it", kInstallPathMissing);
        if (found.outcome == OptionOutcome::kTooLong) return {false, tooLong(kPathOptionLimit)};
        if (!hasNoIllegalPathChars(value.c_str())) {
          return refused(
              "setup finds the install path " + shown + " holding a character no path may hold",
              kInstallPathIllegal);
        }
        return {false,
                "setup installs into " + shown +
                    (isAbsolutePath(value) ? "" : ", made absolute in the current directory") +
                    (unattended ? ", not into the FILE of the response file" : "")};
      case 'n':
        if (found.outcome == OptionOutcome::kEmpty)
          return refused("setup finds no copy name after it", kCopyNameMissing);
        if (found.outcome == OptionOutcome::kTooLong) return {false, tooLong(kCopyNameOptionLimit)};
        return {false, "setup installs into, or maintains, the copy named " + shown +
                           (unattended ? ", not the COPY_NAME of the response file" : "")};
      case 'o':
        if (o.newCopyRequested()) {
          return {false,
                  "setup adds a further copy in a free instance slot (MSINEWINSTANCE=1) instead "
                  "of installing into or maintaining the copy it finds"};
        }
        return {false,
                "setup ignores /o while /n, /p or /u is given; without them it would add a further "
                "copy"};
    }
    return {};
  }

  std::string valueOf(const FoundOption& found) const {
    switch (found.outcome) {
      case OptionOutcome::kValue:
        return quoted(found.value);
      case OptionOutcome::kEmpty:
        return "no value";
      case OptionOutcome::kTooLong:
        return "a value too long to keep";
      case OptionOutcome::kAbsent:
        break;
    }
    return "";
  }

  void checkOption(const FoundOption& found) {
    ++report_.options;
    std::size_t offset = 0;
    const int argument = argumentAt(found.match, &offset);
    const ArgumentRole role = roles_[static_cast<std::size_t>(argument)];
    const bool hidden = offset > 0 || role == ArgumentRole::kValue;
    const std::string option = "/" + std::string(1, found.letter);
    const bool takesValue = found.letter != 'm' && found.letter != 'o';

    std::string seen = "option " + option;
    if (takesValue) seen += ": " + valueOf(found);
    if (found.letter == 'o' && !options_->newCopyRequested())
      seen += " (ignored: /n, /p or /u given)";
    if (hidden) seen += ", found inside argument " + std::to_string(argument);
    note(argument, seen);

    const Effect effect = effectOf(found, hidden);
    if (!hidden) {
      if (effect.refuses) error(argument, option + " with " + valueOf(found) + ": " + effect.text);
      return;
    }
    const std::string& word = words_[static_cast<std::size_t>(argument)];
    const std::string owner = ownerOf(argument);
    std::string holder = quoted(word);
    if (!owner.empty()) {
      holder += ", the value of " + owner + ",";
    } else if (role == ArgumentRole::kOption) {
      holder = "the option " + holder;
    }
    // The part of a path where the letter hides.
    std::string part;
    const std::size_t before = word.rfind('\\', offset);
    const std::size_t after = word.find('\\', offset);
    if (before != std::string::npos || after != std::string::npos) {
      const std::size_t from = before == std::string::npos ? 0 : before + 1;
      part = " in " + quoted(std::string_view(word).substr(
                          from, after == std::string::npos ? std::string::npos : after - from));
    }
    std::string text = holder + " holds " + quoted(line_.substr(found.match, 2)) + part +
                       ", which setup takes as option " + option;
    if (takesValue) {
      text += found.outcome == OptionOutcome::kValue ? " with the value " + quoted(found.value)
                                                     : " with " + valueOf(found);
    }
    text += ": " + effect.text;
    if (const int own = ownOption(found.letter); own != 0 && own != argument) {
      text += ", and it does not use the " + option + " of argument " + std::to_string(own);
    }
    const bool isPath =
        owner.size() == 2 && std::string_view("lLuUpP").find(owner[1]) != std::string_view::npos;
    if (offset == 0) {
      // The whole value looks like an option: the option before it lacks one.
      text += "; give " + owner + " its value before " + quoted(word);
    } else {
      text +=
          "; write it without a '-' or '/' before any of the letters i, l, m, n, o, p, u, "
          "for example " +
          quoted(safeSpelling(word, !owner.empty(), isPath));
    }
    if (effect.refuses) {
      error(argument, text);
    } else {
      warning(argument, text);
    }
  }

  // The argument at which setup's scan of the arguments stops the run.
  void checkScan() {
    for (int i = 1; i < argc_; ++i) {
      const std::string shown = quoted(words_[static_cast<std::size_t>(i)]);
      switch (roles_[static_cast<std::size_t>(i)]) {
        case ArgumentRole::kHelp:
          error(i, shown + " asks for setup's usage text: setup shows it and " +
                       exitWith(kHelpRequested));
          break;
        case ArgumentRole::kUnknown:
          error(i, shown +
                       " is no option of setup, nor the value of one: setup refuses the line, "
                       "shows its usage and " +
                       exitWith(kUnknownArgument));
          break;
        default:
          break;
      }
    }
  }

  void checkImage(const std::string& given, const CommandOptions* options) {
    if (given.empty()) return;
    std::string directory = given;
    while (directory.size() > 1 && directory.back() == '\\') directory.pop_back();
    PathText imageDir;
    if (!imageDir.assign(directory + "\\")) {
      error(0, "the image directory " + quoted(directory) + " is longer than any path setup holds");
      return;
    }
    makeAbsolutePath(imageDir);
    directory = std::string(imageDir.view().substr(0, imageDir.size() - 1));
    // The limits as setup's own code forms the paths from the directory.
    const std::size_t package = longestDirectory(packagePathFor);
    bool languageGiven = options != nullptr && options->language().given();
    const std::string code = options != nullptr ? std::string(options->language().value) : "";
    const std::size_t messages = longestDirectory([&](const PathText& dir, PathText& made) {
      chooseMessageDir(dir, languageGiven, code.c_str(), made);
      return true;
    });
    const std::size_t start = kWindowsMaxPath - 2 - std::strlen(kSetupProgram);
    const std::size_t length = directory.size();
    note(0, "image directory: " + quoted(directory) + ", " + std::to_string(length) +
                " characters; setup takes at most " + std::to_string(package));
    if (length <= package) return;
    std::string text = "the image directory is " + std::to_string(length) + " characters long: ";
    if (length > start) {
      text += "Windows starts no program from a path of more than " +
              std::to_string(kWindowsMaxPath - 1) + " characters, so " + kSetupProgram +
              " does not even start";
    } else {
      text +=
          "the package path (the directory, \"\\\\\" and \"" + std::string(kPackageFileName) +
          "\") no longer fits setup's path buffer of " + std::to_string(PathText::kMaxLength) +
          " characters, so setup " + exitWith(kPackageMissing) +
          (length > messages ? " without a word, because its message directory does not fit either"
                             : ", \"Cannot access ...\", although the package is there");
    }
    error(0, text + "; copy the image to a directory of at most " + std::to_string(package) +
                 " characters");
  }

  std::vector<std::string> words_;
  std::vector<char*> argv_;
  int argc_ = 0;
  ArgumentReport& report_;
  std::string_view line_;
  const CommandOptions* options_ = nullptr;
  std::vector<ArgumentRole> roles_;
  std::vector<std::size_t> starts_;
};

}  // namespace

ArgumentReport checkArguments(const std::vector<std::string>& args, const std::string& imageDir) {
  ArgumentReport report;
  Checker(args, report).check(imageDir);
  // Notes first, then the findings in argument order, the whole line's last.
  std::stable_sort(report.findings.begin(), report.findings.end(),
                   [](const ArgumentFinding& a, const ArgumentFinding& b) {
                     const bool aNote = a.kind == ArgumentFinding::Kind::kNote;
                     const bool bNote = b.kind == ArgumentFinding::Kind::kNote;
                     if (aNote != bNote) return aNote;
                     if (aNote) return false;
                     const int aAt = a.argument == 0 ? INT32_MAX : a.argument;
                     const int bAt = b.argument == 0 ? INT32_MAX : b.argument;
                     return aAt < bAt;
                   });
  return report;
}

std::string argumentReportText(const ArgumentReport& report) {
  std::string text;
  for (const ArgumentFinding& finding : report.findings) {
    if (finding.kind == ArgumentFinding::Kind::kNote) {
      text += finding.text + "\n";
      continue;
    }
    text += finding.argument == 0 ? std::string("arguments")
                                  : "argument " + std::to_string(finding.argument);
    text += finding.kind == ArgumentFinding::Kind::kError ? ": error: " : ": warning: ";
    text += finding.text + "\n";
  }
  auto count = [](int n, const char* one, const char* many) {
    return std::to_string(n) + " " + (n == 1 ? one : many);
  };
  text += "arguments: " + count(report.options, "option", "options") + ", " +
          count(report.errors, "error", "errors") + ", " +
          count(report.warnings, "warning", "warnings") + "\n";
  return text;
}
