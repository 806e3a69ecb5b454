#include <windows.h>

#include <string>

#include "platform/platform.h"

namespace platform {

bool createProcess(const char* commandLine, const char* workingDir, Handle stdOutput,
                   Handle stdError, ProcessInfo* info) {
  if (info == nullptr) return false;
  // CreateProcessA wants a writable command line.
  std::string line = commandLine != nullptr ? commandLine : "";

  STARTUPINFOA startup = {};
  static_assert(sizeof(startup) == 104, "the 64-bit layout");
  startup.cb = sizeof(startup);
  startup.dwFlags = STARTF_USESTDHANDLES | STARTF_USESHOWWINDOW;
  startup.wShowWindow = SW_HIDE;
  startup.hStdInput = nullptr;
  startup.hStdOutput = stdOutput;
  startup.hStdError = stdError;

  PROCESS_INFORMATION process = {};
  if (!CreateProcessA(nullptr, &line[0], nullptr, nullptr, TRUE, NORMAL_PRIORITY_CLASS, nullptr,
                      workingDir, &startup, &process)) {
    return false;
  }
  info->process = process.hProcess;
  info->thread = process.hThread;
  info->processId = process.dwProcessId;
  info->threadId = process.dwThreadId;
  return true;
}

bool getExitCodeProcess(Handle process, uint32_t* exitCode) {
  DWORD code = 0;
  if (!GetExitCodeProcess(process, &code)) return false;
  if (exitCode != nullptr) *exitCode = code;
  return true;
}

}  // namespace platform
