#pragma once

#include <cstdint>

// The launcher's own result codes. Only two of them ever reach the exit code
// of a run: kAnotherSetupRunning and kLauncherFailed. Every finer code below
// tells the caller inside the launcher which check failed; the run sequence
// turns each of them into kLauncherFailed.

// Another setup holds the single-setup guard.
constexpr uint32_t kAnotherSetupRunning = 8100;
// The user did not answer Yes to a question (log overwrite, install type).
constexpr uint32_t kUserDeclined = 8102;
// /m given without /u.
constexpr uint32_t kBasicUiWithoutResponseFile = 8103;
// An argument that is no option of the launcher.
constexpr uint32_t kUnknownArgument = 8104;
// /u without a value.
constexpr uint32_t kResponseFileMissing = 8105;
// The log path is empty (/l without a value).
constexpr uint32_t kLogPathEmpty = 8106;
// /p without a value.
constexpr uint32_t kInstallPathMissing = 8107;
// /i without a value.
constexpr uint32_t kLanguageMissing = 8108;
// /n without a value.
constexpr uint32_t kCopyNameMissing = 8109;
// The log path holds a character that no path may hold.
constexpr uint32_t kLogPathIllegal = 8110;
// The response file is missing, not a regular file, or cannot be used.
constexpr uint32_t kResponseFileInvalid = 8111;
// The /p path holds a character that no path may hold.
constexpr uint32_t kInstallPathIllegal = 8112;
// The /i code names no supported language.
constexpr uint32_t kUnsupportedLanguage = 8113;
// The log directory cannot be used, or no default log path can be built.
constexpr uint32_t kLogPathUnusable = 8114;
// The launcher itself failed: the exit code of every failure above.
constexpr uint32_t kLauncherFailed = 8115;
// The arguments are too long for the launcher's argument line.
constexpr uint32_t kArgumentsTooLong = 8117;
// No instance slot or slot transform for a further copy, or the maximum
// number of copies is reached.
constexpr uint32_t kInstanceSlotUnavailable = 8118;
// What this run does with the driver product could not be decided.
constexpr uint32_t kInstallTypeUnknown = 8119;
// Help was asked for (/?, -?, /h, -h).
constexpr uint32_t kHelpRequested = 8120;
// The installer package is not in the installation image.
constexpr uint32_t kPackageMissing = 8121;
// The copy name and the install path disagree with an installed copy.
constexpr uint32_t kCopyNamePathConflict = 8122;
