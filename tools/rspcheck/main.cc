// rspcheck: loads a response file exactly as setup does and reports every
// problem before an unattended installation runs into it.

#include <cstdio>
#include <cstring>
#include <new>
#include <string>
#include <vector>

#include "launcher/program_paths.h"
#include "platform/platform.h"
#include "responsefile/response_file.h"
#include "tools/rspcheck/argument_check.h"
#include "tools/rspcheck/check_report.h"
#include "tools/rspcheck/keyword_listing.h"
#include "tools/rspcheck/line_layout.h"

namespace {

constexpr const char* kUsage =
    "Usage: rspcheck [--tsv] [--werror] FILE\n"
    "       rspcheck [--werror] [--image DIR] --args [ARG...]\n"
    "       rspcheck --list-keywords\n"
    "       rspcheck --help\n";

constexpr const char* kHelp =
    "Checks a response file the way setup loads it (the same reader, keyword\n"
    "catalogue and rules, and the same PROGNAME environment variable).\n"
    "\n"
    "  FILE              a Windows path; a path without a drive letter is taken\n"
    "                    from the current directory\n"
    "  --tsv             print one line per loaded entry in file order,\n"
    "                    LINE<TAB>STATE<TAB>INDEX<TAB>NAME<TAB>VALUE, then\n"
    "                    status<TAB>N (STATE: 0 valid, 1 unknown keyword,\n"
    "                    2 invalid value; INDEX: catalogue row, -1 unknown)\n"
    "  --werror          count warnings as errors: exit code 1 when there are any\n"
    "  --args ARG...     check setup's command line instead of a file: the\n"
    "                    arguments after --args, read by setup's own code; prints\n"
    "                    each option setup will see, and an error or warning\n"
    "                    for each option letter found after '-' or '/' inside\n"
    "                    another option's value or a path\n"
    "  --image DIR       with --args: the installation image's directory, held\n"
    "                    against the longest setup can use (default: this\n"
    "                    program's directory when setup lies beside it)\n"
    "  --list-keywords   print every keyword with its ways of writing, rules,\n"
    "                    repetition and secrecy\n"
    "  --help            print this text\n"
    "\n"
    "Without --tsv, every problem is a line FILE:LINE: error: ... and a summary\n"
    "line follows. A line that setup reads otherwise than it looks gets a line\n"
    "FILE:LINE: warning: ... (on standard error with --tsv); warnings do not\n"
    "change the exit code unless --werror is given.\n"
    "A UTF-16 file, which setup cannot read, is one error at line 1.\n"
    "Exit code: 0 when the file loads cleanly; else the load status: 1 content\n"
    "invalid (or UTF-16, or warnings with --werror), 2 cannot open, 3 read error,\n"
    "5 out of memory; 64 usage error. With --args: 0, or 1 on errors (or on\n"
    "warnings with --werror).\n";

struct Arguments {
  bool tsv = false;
  bool werror = false;
  bool listKeywords = false;
  bool help = false;
  const char* file = nullptr;
  bool setupArguments = false;  // --args: the rest is setup's command line
  std::vector<std::string> setupArgs;
  const char* imageDir = nullptr;
  std::string error;
};

Arguments parseArguments(int argc, char** argv) {
  Arguments args;
  bool optionsEnded = false;
  for (int i = 1; i < argc; ++i) {
    const char* arg = argv[i];
    if (!optionsEnded && std::strcmp(arg, "--") == 0) {
      optionsEnded = true;
    } else if (!optionsEnded && std::strcmp(arg, "--tsv") == 0) {
      args.tsv = true;
    } else if (!optionsEnded && std::strcmp(arg, "--werror") == 0) {
      args.werror = true;
    } else if (!optionsEnded && std::strcmp(arg, "--args") == 0) {
      args.setupArguments = true;
      args.setupArgs.assign(argv + i + 1, argv + argc);
      break;
    } else if (!optionsEnded && std::strcmp(arg, "--image") == 0) {
      if (i + 1 == argc) {
        args.error = "--image needs a directory";
      } else {
        args.imageDir = argv[++i];
      }
    } else if (!optionsEnded && std::strcmp(arg, "--list-keywords") == 0) {
      args.listKeywords = true;
    } else if (!optionsEnded && (std::strcmp(arg, "--help") == 0 || std::strcmp(arg, "-h") == 0 ||
                                 std::strcmp(arg, "/?") == 0)) {
      args.help = true;
    } else if (!optionsEnded && arg[0] == '-' && arg[1] != '\0') {
      args.error = std::string("unknown option '") + arg + "'";
    } else if (args.file != nullptr) {
      args.error = std::string("more than one file given ('") + args.file + "' and '" + arg + "')";
    } else {
      args.file = arg;
    }
  }
  if (!args.error.empty() || args.help) return args;
  if (args.setupArguments) {
    if (args.tsv || args.listKeywords || args.file != nullptr) {
      args.error = "--args takes no file, --tsv or --list-keywords";
    }
    return args;
  }
  if (args.imageDir != nullptr) {
    args.error = "--image goes with --args";
  } else if (args.listKeywords && (args.tsv || args.werror || args.file != nullptr)) {
    args.error = "--list-keywords takes no file and no other option";
  } else if (!args.listKeywords && args.file == nullptr) {
    args.error = "no response file given";
  }
  return args;
}

// The image directory for --args: the one given, or this program's own when
// setup lies beside it; empty when there is none.
std::string imageDirectory(const Arguments& args) {
  if (args.imageDir != nullptr) return args.imageDir;
  PathText own;
  if (programDirectory(own) != 0 || own.empty()) return "";
  // On Windows setup is setup.exe; the emulated machine's programs carry no
  // extension.
  for (const char* name : {"setup.exe", "setup"}) {
    PathText setup = own;
    if (setup.append(name) &&
        platform::pathKind(setup.c_str()) == platform::PathKind::kRegularFile) {
      return std::string(own.view());
    }
  }
  return "";
}

int checkSetupArguments(const Arguments& args) {
  const ArgumentReport report = checkArguments(args.setupArgs, imageDirectory(args));
  const std::string text = argumentReportText(report);
  std::fwrite(text.data(), 1, text.size(), stdout);
  return report.errors > 0 || (args.werror && report.warnings > 0) ? RspContentInvalid : RspOk;
}

// Reported as the reader reports a file too large for memory, with its load
// status; whatever the report had written so far stays.
int reportOutOfMemory(const char* file) {
  std::fflush(stdout);
  std::fprintf(stderr, "%s: error: there is not enough memory to check the file; load status %d\n",
               file, RspOutOfMemory);
  return RspOutOfMemory;
}

int run(int argc, char** argv) {
  Arguments args = parseArguments(argc, argv);
  if (!args.error.empty()) {
    std::fprintf(stderr, "rspcheck: %s\n%s", args.error.c_str(), kUsage);
    return kUsageError;
  }
  if (args.help) {
    std::fputs(kUsage, stdout);
    std::fputs("\n", stdout);
    std::fputs(kHelp, stdout);
    return 0;
  }
  if (args.listKeywords) {
    std::fputs(keywordListing().c_str(), stdout);
    return 0;
  }
  if (args.setupArguments) return checkSetupArguments(args);
  try {
    ResponseFile file(args.file);
    // A file that cannot be read again is reported by the load; its lines
    // then get no warnings.
    LineLayout layout;
    if (!readLineLayout(args.file, &layout)) layout = LineLayout();
    std::vector<FormatWarning> warnings = findFormatWarnings(file, layout);
    std::string output =
        args.tsv ? entryTable(file) : problemReport(file, args.file, &layout, warnings);
    std::fwrite(output.data(), 1, output.size(), stdout);
    if (args.tsv) {
      std::string report = encodingError(args.file, layout) + warningLines(args.file, warnings);
      std::fwrite(report.data(), 1, report.size(), stderr);
    }
    if (args.tsv && file.status() != RspOk && file.status() != RspContentInvalid) {
      std::fprintf(stderr, "rspcheck: %s: load status %d\n", args.file, file.status());
    }
    int code = exitCodeFor(file, &layout);
    if (code == RspOk && args.werror && !warnings.empty()) code = RspContentInvalid;
    return code;
  } catch (const std::bad_alloc&) {
    // A file that loaded may still hold more than a report of it can.
    return reportOutOfMemory(args.file);
  }
}

}  // namespace

int main(int argc, char** argv) {
  uint32_t code = platform::startProgram(argc, argv);
  if (code == 0) code = static_cast<uint32_t>(run(argc, argv));
  std::fflush(stdout);
  return platform::finishProgram(code);
}
