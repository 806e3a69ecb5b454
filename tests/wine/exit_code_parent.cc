// A Windows parent for the Wine tests. A Linux shell sees only the low 8 bits
// of a Wine program's exit code (8115 arrives as 179), so this parent runs the
// command line it is given, with its own standard handles, and writes the
// child's whole 32-bit exit code as GetExitCodeProcess reports it.
//
//   exit_code_parent <code file> <command line>
//
// The code goes to <code file> (a Windows path) in decimal. The parent's own
// exit code: 0 when the child ran to its end, 1 when it could not be started
// or waited for, 2 on bad usage.

#include <windows.h>

#include <cstdio>
#include <string>

namespace {

constexpr int kChildRan = 0;
constexpr int kChildFailed = 1;
constexpr int kUsage = 2;

bool writeCode(const char* codeFile, DWORD code) {
  std::FILE* file = std::fopen(codeFile, "w");
  if (file == nullptr) return false;
  const bool written = std::fprintf(file, "%lu\n", static_cast<unsigned long>(code)) > 0;
  return std::fclose(file) == 0 && written;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 3) {
    std::fprintf(stderr, "usage: exit_code_parent <code file> <command line>\n");
    return kUsage;
  }
  // CreateProcessA may write into the command line.
  std::string commandLine = argv[2];
  STARTUPINFOA startup = {};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION child = {};
  if (!CreateProcessA(nullptr, &commandLine[0], nullptr, nullptr, TRUE, 0, nullptr, nullptr,
                      &startup, &child)) {
    std::fprintf(stderr, "exit_code_parent: cannot start %s (error %lu)\n", argv[2],
                 static_cast<unsigned long>(GetLastError()));
    return kChildFailed;
  }
  DWORD code = 0;
  const bool ended = WaitForSingleObject(child.hProcess, INFINITE) == WAIT_OBJECT_0 &&
                     GetExitCodeProcess(child.hProcess, &code);
  CloseHandle(child.hThread);
  CloseHandle(child.hProcess);
  if (!ended || !writeCode(argv[1], code)) {
    std::fprintf(stderr, "exit_code_parent: no exit code for %s\n", argv[2]);
    return kChildFailed;
  }
  return kChildRan;
}
