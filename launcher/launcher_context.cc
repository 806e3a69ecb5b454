#include "launcher/launcher_context.h"

#include <cstring>
#include <string_view>

#include "launcher/init_failure_report.h"
#include "launcher/launcher_codes.h"
#include "launcher/log_path.h"
#include "launcher/program_paths.h"
#include "responsefile/response_file.h"

namespace {

// Stores what the search found for one option into its field and flag: a
// usable value is copied, and an empty value also sets the flag.
template <std::size_t N>
OptionOutcome take(const FoundOption& found, FixedText<N>& field, uint8_t& flag) {
  field.clear();
  if (found.outcome == OptionOutcome::kValue) field.assign(found.value);
  if (found.given()) flag = 1;
  return found.outcome;
}

}  // namespace

// Each option's limit is the length of the field it is stored in.
static_assert(PathText::kMaxLength == kPathOptionLimit);
static_assert(CopyNameText::kMaxLength == kCopyNameOptionLimit);

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

  if (!joinArguments(argc, argv, argumentLine)) {
    // The options cannot be read, so the report speaks the system's
    // language rather than an empty one.
    chooseMessageDir(imageDir, false, "", messageDir);
    return reportInitialisationFailure(*this, kArgumentsTooLong);
  }
  const CommandOptions options(argumentLine.view());

  take(options.language(), languageCode, languageGiven);
  chooseMessageDir(imageDir, languageGiven != 0, languageCode.c_str(), messageDir);

  uint8_t logGiven = 0;
  if (take(options.logFile(), logFilePath, logGiven) == OptionOutcome::kAbsent &&
      defaultLogPath(logFilePath, kLogBaseName) == 0) {
    return reportInitialisationFailure(*this, kLogPathUnusable);
  }

  take(options.responseFile(), responseFilePath, responseFileMode);
  if (options.basicUi().given()) basicUiRequested = 1;
  take(options.installPath(), installPath, installPathGiven);
  take(options.copyName(), copyName, copyNameGiven);
  newCopyRequested = options.newCopyRequested() ? 1 : 0;

  errorFlag = 0;
  return 0;
}
