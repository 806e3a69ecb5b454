#include <cstdio>
#include <string>
#include <string_view>

#include "launcher/argument_scan.h"
#include "launcher/copy_consistency.h"
#include "launcher/language_table.h"
#include "launcher/launcher_codes.h"
#include "launcher/launcher_context.h"
#include "launcher/message_catalog.h"
#include "launcher/message_format.h"
#include "launcher/path_utils.h"
#include "launcher/shown_text.h"
#include "platform/platform.h"

namespace {

// The outcome of one check: its code, and whether the usage text follows
// the check's own message.
struct Verdict {
  uint32_t code = 0;
  bool showUsage = false;
};

constexpr Verdict kPassed{};

std::string lookup(const LauncherContext& context, const char* key) {
  char text[kMessageCapacity];
  lookupMessage(context.messageDir.c_str(), key, text, sizeof text);
  return text;
}

// The text of key formatted with one string argument of the system (a path
// or a code the user typed), as a composed message (cut to the
// composed-message buffer).
ShownText composed(const LauncherContext& context, const char* key, const char* argument) {
  return composeShownText(lookup(context, key).c_str(), {argument}, kComposedMessageCapacity);
}

void show(const LauncherContext& context, const ShownText& text) {
  showMessage(context, text, context.responseFileMode != 0);
}

// Whether the log file's directory exists and may be written. A file where
// the directory should be is refused too: some file systems answer the
// access test for "file\" as for the file itself.
bool usableDirectory(const std::string& directory, bool endsInBackslash) {
  if (endsInBackslash && directory.size() > 1) {
    std::string bare = directory.substr(0, directory.size() - 1);
    if (platform::pathKind(bare.c_str()) == platform::PathKind::kRegularFile) return false;
  }
  return platform::pathAccess(directory.c_str(), platform::kAccessExists) &&
         platform::pathAccess(directory.c_str(), platform::kAccessWrite);
}

Verdict checkLogFile(LauncherContext& context) {
  if (context.logFilePath.empty()) return {kLogPathEmpty, true};
  if (!hasNoIllegalPathChars(context.logFilePath.c_str())) return {kLogPathIllegal, true};
  if (isRegularFile(context.logFilePath.c_str()) && !context.responseFileMode) {
    std::string question =
        formatMessage("%s ", {lookup(context, "WARNING_LOGFILE_OVERWRITE").c_str()});
    std::string caption = lookup(context, "WARNING_HEADER");
    if (showBox(question, caption, BoxKind::kQuestion,
                messageLanguageOf(context.messageDir.view())) != platform::kIdYes) {
      return {kUserDeclined, false};
    }
  }

  makeAbsolutePath(context.logFilePath);
  std::string_view path = context.logFilePath.view();
  std::size_t slash = path.rfind('\\');
  std::string directory(slash == std::string_view::npos ? path : path.substr(0, slash + 1));
  if (slash != std::string_view::npos) createDirectoryTree(directory.c_str());
  if (!usableDirectory(directory, slash != std::string_view::npos)) {
    // Printed, not shown: the log file that would receive a shown message
    // is the very thing that cannot be written.
    ShownText line = composed(context, "ERROR_ACCESSING", directory.c_str());
    line += "\n";
    writeShownText(line, messageLanguageOf(context.messageDir.view()));
    return {kLogPathUnusable, false};
  }
  return kPassed;
}

Verdict checkResponseFile(LauncherContext& context) {
  if (!context.responseFileMode) {
    return context.basicUiRequested ? Verdict{kBasicUiWithoutResponseFile, true} : kPassed;
  }
  if (context.responseFilePath.empty()) return {kResponseFileMissing, true};
  if (!isRegularFile(context.responseFilePath.c_str())) {
    show(context, composed(context, "ERROR_RSP_FILE_INVALID", context.responseFilePath.c_str()));
    return {kResponseFileInvalid, true};
  }
  makeAbsolutePath(context.responseFilePath);
  return kPassed;
}

Verdict checkInstallPath(LauncherContext& context) {
  if (!context.installPathGiven) return kPassed;
  if (context.installPath.empty()) return {kInstallPathMissing, true};
  if (!hasNoIllegalPathChars(context.installPath.c_str())) {
    show(context, composed(context, "IMSG_LAUNCHER_ERROR_COPYPATH", context.installPath.c_str()));
    return {kInstallPathIllegal, true};
  }
  makeAbsolutePath(context.installPath);
  return kPassed;
}

Verdict checkLanguage(const LauncherContext& context) {
  if (!context.languageGiven) return kPassed;
  if (context.languageCode.empty()) return {kLanguageMissing, true};
  if (!isSupportedLanguage(context.languageCode.c_str())) {
    show(context, composed(context, "ERROR_UNSUPPORTED_LOCALE", context.languageCode.c_str()));
    return {kUnsupportedLanguage, true};
  }
  return kPassed;
}

Verdict checkArguments(const LauncherContext& context, int argc, char** argv) {
  uint32_t code = scanArguments(argc, argv);
  if (code == kUnknownArgument) {
    // The offending argument is not named: the text is shown as it stands.
    show(context, lookup(context, "IMSG_LAUNCHER_ERROR_UNKNOWN_PARAM"));
  }
  return code == 0 ? kPassed : Verdict{code, true};
}

Verdict checkCopyConsistency(const LauncherContext& context) {
  if (!context.installPathGiven || !context.copyNameGiven) return kPassed;
  if (copyNameAndPathAgree(context.installPath.c_str(), context.copyName.c_str())) return kPassed;
  show(context,
       composed(context, "IMSG_LAUNCHER_COPYNAME_PATH_CONFLICT", context.installPath.c_str()));
  return {kCopyNamePathConflict, false};
}

Verdict runChecks(LauncherContext& context, int argc, char** argv) {
  Verdict verdict = checkLogFile(context);
  if (verdict.code == 0) verdict = checkResponseFile(context);
  if (verdict.code == 0) verdict = checkInstallPath(context);
  if (verdict.code == 0) verdict = checkLanguage(context);
  if (verdict.code == 0 && context.copyNameGiven && context.copyName.empty()) {
    verdict = {kCopyNameMissing, true};
  }
  if (verdict.code == 0) verdict = checkArguments(context, argc, argv);
  if (verdict.code == 0) verdict = checkCopyConsistency(context);
  return verdict;
}

}  // namespace

uint32_t LauncherContext::validateOptions(int argc, char** argv) {
  Verdict verdict = runChecks(*this, argc, argv);
  if (verdict.code == 0) {
    errorFlag = 0;
    return 0;
  }
  errorFlag = 1;
  if (verdict.showUsage) {
    CommandText usage;
    if (buildUsageText(usage.data(), CommandText::kCapacity) == 0) {
      usage.syncLength();
      // Asked for with /?, the usage text is no error.
      showMessage(*this, std::string(usage.view()), responseFileMode != 0,
                  verdict.code == kHelpRequested ? BoxKind::kPlain : BoxKind::kError);
    }
  }
  return verdict.code;
}
