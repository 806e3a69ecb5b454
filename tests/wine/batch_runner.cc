// Runs a list of command lines one after another in one Windows process, so
// that a parity table of dozens of runs pays for Wine's start once.
//
//   batch_runner <list file> <output dir>
//
// Each line of <list file> is "<name><TAB><command line>". Each command runs
// from the current directory with no standard input, its standard output and
// error in <output dir>\<name>.out and <name>.err, and its whole 32-bit exit
// code, as GetExitCodeProcess reports it, in <output dir>\<name>.code
// (decimal; "none" when it could not be started). The runner's own exit
// code: 0 when every command ran, 1 when one could not, 2 on bad usage.

#include <windows.h>

#include <cstdio>
#include <fstream>
#include <string>

namespace {

constexpr int kAllRan = 0;
constexpr int kOneFailed = 1;
constexpr int kUsage = 2;

HANDLE createOutput(const std::string& path) {
  SECURITY_ATTRIBUTES inheritable = {sizeof inheritable, nullptr, TRUE};
  return CreateFileA(path.c_str(), GENERIC_WRITE, FILE_SHARE_READ, &inheritable, CREATE_ALWAYS,
                     FILE_ATTRIBUTE_NORMAL, nullptr);
}

bool writeText(const std::string& path, const std::string& text) {
  std::FILE* file = std::fopen(path.c_str(), "w");
  if (file == nullptr) return false;
  const bool written = std::fputs(text.c_str(), file) >= 0;
  return std::fclose(file) == 0 && written;
}

// Runs one command; false when it could not be started or waited for.
bool runOne(const std::string& commandLine, const std::string& outputs) {
  HANDLE out = createOutput(outputs + ".out");
  HANDLE err = createOutput(outputs + ".err");
  SECURITY_ATTRIBUTES inheritable = {sizeof inheritable, nullptr, TRUE};
  HANDLE in = CreateFileA("NUL", GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, &inheritable,
                          OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  STARTUPINFOA startup = {};
  startup.cb = sizeof startup;
  startup.dwFlags = STARTF_USESTDHANDLES;
  startup.hStdInput = in;
  startup.hStdOutput = out;
  startup.hStdError = err;
  std::string line = commandLine;  // CreateProcessA may write into it
  PROCESS_INFORMATION child = {};
  const bool started = out != INVALID_HANDLE_VALUE && err != INVALID_HANDLE_VALUE &&
                       CreateProcessA(nullptr, &line[0], nullptr, nullptr, TRUE, 0, nullptr,
                                      nullptr, &startup, &child);
  const DWORD startError = started ? 0 : GetLastError();
  DWORD code = 0;
  const bool ended = started && WaitForSingleObject(child.hProcess, INFINITE) == WAIT_OBJECT_0 &&
                     GetExitCodeProcess(child.hProcess, &code);
  if (!ended) {
    std::fprintf(stderr, "batch_runner: %s: %s (error %lu)\n", commandLine.c_str(),
                 started ? "no exit code" : "not started",
                 static_cast<unsigned long>(started ? GetLastError() : startError));
  }
  if (started) {
    CloseHandle(child.hThread);
    CloseHandle(child.hProcess);
  }
  for (HANDLE handle : {out, err, in}) {
    if (handle != INVALID_HANDLE_VALUE) CloseHandle(handle);
  }
  writeText(outputs + ".code", ended ? std::to_string(code) + "\n" : "none\n");
  return ended;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 3) {
    std::fprintf(stderr, "usage: batch_runner <list file> <output dir>\n");
    return kUsage;
  }
  std::ifstream list(argv[1]);
  if (!list) {
    std::fprintf(stderr, "batch_runner: cannot read %s\n", argv[1]);
    return kUsage;
  }
  int result = kAllRan;
  for (std::string entry; std::getline(list, entry);) {
    if (!entry.empty() && entry.back() == '\r') entry.pop_back();
    const std::size_t tab = entry.find('\t');
    if (tab == std::string::npos) continue;
    if (!runOne(entry.substr(tab + 1), std::string(argv[2]) + "\\" + entry.substr(0, tab))) {
      result = kOneFailed;
    }
  }
  return result;
}
