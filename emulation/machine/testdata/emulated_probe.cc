// A small program of the emulated machine's tests: it starts as every
// program of the system does, does one thing on its machine and ends with a
// full 32-bit exit code.
//
//   emulated_probe exit CODE        ends with CODE
//   emulated_probe args A B ...     prints each argument as [A]
//   emulated_probe cmdline ...      prints its command line as [LINE]
//   emulated_probe mutex NAME       takes the mutex without waiting and ends
//                                   (without releasing it) with the wait's result
//   emulated_probe ask N            asks N Yes/No questions, prints the answers
//   emulated_probe where            prints the current directory and own name
//   emulated_probe await FILE       waits until the host file FILE exists, then
//                                   ends with 0
//   emulated_probe await-create FILE NEW   waits as await does, then creates
//                                   the host file NEW
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <thread>

#include "platform/platform.h"

namespace {

uint32_t run(int argc, char** argv) {
  const std::string mode = argc > 1 ? argv[1] : "";
  const char* arg = argc > 2 ? argv[2] : "";
  if (mode == "exit") return static_cast<uint32_t>(std::strtoul(arg, nullptr, 10));
  if (mode == "args") {
    for (int i = 2; i < argc; ++i) std::printf("[%s]\n", argv[i]);
    return 0;
  }
  if (mode == "cmdline") {
    std::printf("[%s]\n", platform::getCommandLine());
    return 0;
  }
  if (mode == "mutex") {
    platform::Handle mutex = platform::createMutex(arg);
    if (mutex == nullptr) return 1;
    return platform::waitForSingleObject(mutex, 0);
  }
  if (mode == "ask") {
    for (int i = std::atoi(arg); i > 0; --i) {
      const int answer = platform::messageBoxW(u"Go on?", u"Question", platform::kMbYesNo);
      std::printf("%s\n", answer == platform::kIdYes ? "yes" : "no");
    }
    return 0;
  }
  if (mode == "where") {
    char buffer[261];
    if (platform::getCurrentDirectory(sizeof buffer, buffer) == 0) return 1;
    std::printf("%s\n", buffer);
    if (platform::getModuleFileName(buffer, sizeof buffer) == 0) return 1;
    std::printf("%s\n", buffer);
    return 0;
  }
  if (mode == "await" || mode == "await-create") {
    while (::access(arg, F_OK) != 0) std::this_thread::sleep_for(std::chrono::milliseconds(2));
    if (mode == "await") return 0;
    std::FILE* made = argc > 3 ? std::fopen(argv[3], "w") : nullptr;
    if (made == nullptr) return 1;
    std::fclose(made);
    return 0;
  }
  std::fprintf(stderr, "unknown mode \"%s\"\n", mode.c_str());
  return 2;
}

}  // namespace

int main(int argc, char** argv) {
  const uint32_t unusable = platform::startProgram(argc, argv);
  if (unusable != 0) return platform::finishProgram(unusable);
  const uint32_t code = run(argc, argv);
  std::fflush(stdout);
  return platform::finishProgram(code);
}
