#include "launcher/run_sequence.h"

#include <array>
#include <cstdio>
#include <cstring>

#include "base/ascii.h"
#include "base/fixed_text.h"
#include "launcher/language_table.h"
#include "launcher/launcher_codes.h"
#include "launcher/launcher_context.h"
#include "launcher/message_catalog.h"
#include "launcher/program_paths.h"
#include "launcher/shown_text.h"
#include "msicommand/installer_command.h"
#include "platform/platform.h"
#include "process/process_runner.h"

namespace {

constexpr char kSetupMutexName[] = "ProtectKV7CLIInstall";
// The runner's start and the wait after it each allow the installer this
// long; a child still running after both is left alone.
constexpr uint32_t kChildWaitMs = 300000;

// Tells the user that another setup runs. There is no context yet, so the
// text comes from the current directory; when that has no message file, from
// the program's own message directory for the system language.
void reportAnotherSetup() {
  char text[kMessageCapacity] = {};
  lookupMessage(".\\", "ERROR_ANOTHER_SETUP_RUNNING", text, sizeof text);
  // The current directory's file is of no known language: the system's
  // code page is the best guess for it.
  MessageLanguage language;
  PathText imageDir;
  if (text[0] == '\0' && programDirectory(imageDir) == 0) {
    PathText messageDir;
    chooseMessageDir(imageDir, false, "", messageDir);
    lookupMessage(messageDir.c_str(), "ERROR_ANOTHER_SETUP_RUNNING", text, sizeof text);
    language = messageLanguageOf(messageDir.view());
  }
  writeShownText(std::string(text) + "\n", language);
}

uint32_t runWithGuard(int argc, char** argv, ProcessRunner& runner) {
  LauncherContext context(argc, argv);
  if (context.errorFlag) return kLauncherFailed;

  std::array<char, kCommandCapacity> command{};
  uint32_t composed = composeInstallerCommand(context, command.data(), command.size());
  command.back() = '\0';
  if (showCommandRequested(argc, argv)) {
    std::fputs(command.data(), stdout);
    std::fflush(stdout);
    return composed;
  }
  // A composition that answers a failure without raising the flag has still
  // failed: nothing half-composed is ever run.
  if (context.errorFlag || composed != 0) {
    std::printf("Return code is %d\n", static_cast<int>(composed));
    std::fflush(stdout);
    return kLauncherFailed;
  }

  runner.setCommand(command.data());
  runner.setTimeout(kChildWaitMs);
  runner.start(/*waitAfterStart=*/true, /*unusedFlag=*/false);
  uint32_t childExitCode = 0;
  uint32_t waitResult = runner.waitForExit(&childExitCode, kChildWaitMs);
  return waitResult != 0 ? waitResult : childExitCode;
}

}  // namespace

bool showCommandRequested(int argc, char** argv) {
  static constexpr char kShowCommand[] = "-showcommand";
  for (int i = 1; i < argc; ++i) {
    if (argv[i] != nullptr && ascii::startsWithNoCase(argv[i], kShowCommand)) return true;
  }
  return false;
}

uint32_t runLauncher(int argc, char** argv) {
  ProcessRunner runner(/*command=*/nullptr, /*workingDir=*/nullptr, /*statementMode=*/false,
                       /*allOutputMode=*/false, /*unusedFlag=*/false);
  if (argc == 1) platform::freeConsole();

  platform::Handle mutex = platform::createMutex(kSetupMutexName);
  uint32_t result = 0;
  if (mutex != nullptr && platform::waitForSingleObject(mutex, 0) != platform::kWaitObject0) {
    reportAnotherSetup();
    result = kAnotherSetupRunning;
  } else {
    result = runWithGuard(argc, argv, runner);
  }
  // Released on every path: a wait that found the guard abandoned made this
  // process its owner, and the next setup must not find it abandoned again.
  // Where another setup holds it, the release fails harmlessly.
  if (mutex != nullptr) platform::releaseMutex(mutex);
  return result;
}
