#include <windows.h>

#include <string>

#include "platform/platform.h"

namespace platform {
namespace {

// Wine starts its desktop process from the first program of a session that
// needs a window, and that process keeps copies of the program's standard
// handles until the session ends. Were the first such program a child whose
// output goes into pipes (the installer), the desktop would hold the pipes'
// write ends open, and their readers would wait for the end of the child's
// output for ever. So the desktop is made here first, while this process
// has no standard handles to copy. On Windows the desktop always exists and
// this costs nothing.
void makeDesktopWithoutStdHandles() {
  static bool made = false;
  if (made) return;
  made = true;
  const DWORD kinds[] = {STD_INPUT_HANDLE, STD_OUTPUT_HANDLE, STD_ERROR_HANDLE};
  HANDLE saved[3] = {};
  for (int i = 0; i < 3; ++i) {
    saved[i] = GetStdHandle(kinds[i]);
    SetStdHandle(kinds[i], nullptr);
  }
  GetDesktopWindow();
  for (int i = 0; i < 3; ++i) SetStdHandle(kinds[i], saved[i]);
}

}  // namespace

bool createProcess(const char* commandLine, const char* workingDir, Handle stdOutput,
                   Handle stdError, ProcessInfo* info) {
  if (info == nullptr) return false;
  makeDesktopWithoutStdHandles();
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
