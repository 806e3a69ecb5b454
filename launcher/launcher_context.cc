#include "launcher/launcher_context.h"

#include <cstring>
#include <string_view>

#include "launcher/init_failure_report.h"
#include "launcher/launcher_codes.h"
#include "launcher/log_path.h"
#include "launcher/option_extraction.h"
#include "launcher/program_paths.h"
#include "responsefile/response_file.h"

namespace {

// The arguments after the program name may total this many characters.
constexpr std::size_t kMaxArgumentCharacters = 1023;

// Extracts option letter into field (limit: the field's length) and sets
// flag when it is found with a usable value; an empty value also sets it.
template <std::size_t N>
OptionOutcome extractInto(const ArgumentLineText& line, char letter, FixedText<N>& field,
                          uint8_t& flag) {
  std::string_view value;
  OptionOutcome outcome = extractOption(line.view(), letter, FixedText<N>::kMaxLength, &value);
  field.clear();
  if (outcome == OptionOutcome::kValue) field.assign(value);
  if (outcome == OptionOutcome::kValue || outcome == OptionOutcome::kEmpty) flag = 1;
  return outcome;
}

}  // namespace

LauncherContext::LauncherContext() = default;

LauncherContext::LauncherContext(int argc, char** argv) {
  if (parseArguments(argc, argv) != 0) return;
  validateOptions(argc, argv);
}

LauncherContext::~LauncherContext() = default;

uint32_t LauncherContext::parseArguments(int argc, char** argv) {
  uint32_t systemError = programDirectory(imageDir);
  if (systemError != 0) {
    // Without its own directory the launcher has neither texts nor package:
    // nothing can be shown, but the run must not go on.
    errorFlag = 1;
    return systemError;
  }

  std::size_t total = 0;
  for (int i = 1; i < argc; ++i) total += argv[i] != nullptr ? std::strlen(argv[i]) : 0;
  argumentLine.clear();
  bool fits = total <= kMaxArgumentCharacters;
  for (int i = 1; fits && i < argc; ++i) {
    fits = argumentLine.append(argv[i] != nullptr ? argv[i] : "") && argumentLine.append('|');
  }
  if (!fits) {
    // The options cannot be read, so the report speaks the system's
    // language rather than an empty one.
    argumentLine.clear();
    chooseMessageDir(imageDir, false, "", messageDir);
    return reportInitialisationFailure(*this, kArgumentsTooLong);
  }

  extractInto(argumentLine, 'i', languageCode, languageGiven);
  chooseMessageDir(imageDir, languageGiven != 0, languageCode.c_str(), messageDir);

  uint8_t logGiven = 0;
  if (extractInto(argumentLine, 'l', logFilePath, logGiven) == OptionOutcome::kAbsent &&
      defaultLogPath(logFilePath, kLogBaseName) == 0) {
    return reportInitialisationFailure(*this, kLogPathUnusable);
  }

  FixedText<1024> discarded;
  extractInto(argumentLine, 'u', responseFilePath, responseFileMode);
  extractInto(argumentLine, 'm', discarded, basicUiRequested);
  extractInto(argumentLine, 'p', installPath, installPathGiven);
  extractInto(argumentLine, 'n', copyName, copyNameGiven);
  extractInto(argumentLine, 'o', discarded, newCopyRequested);
  if (copyNameGiven || installPathGiven || responseFileMode) newCopyRequested = 0;

  errorFlag = 0;
  return 0;
}
