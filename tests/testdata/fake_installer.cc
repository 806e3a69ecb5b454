// Stands in for the installer in end-to-end runs: writes the arguments it
// received, one per line, to the file named by FAKE_INSTALLER_RECORD (a host
// path), prints a line on each standard stream, and ends with the exit code
// named by FAKE_INSTALLER_EXIT.
#include <cstdio>
#include <cstdlib>
#include <string>

#include "platform/platform.h"

int main(int argc, char** argv) {
  platform::startProgram();
  if (const char* record = std::getenv("FAKE_INSTALLER_RECORD")) {
    if (std::FILE* f = std::fopen(record, "w")) {
      for (int i = 1; i < argc; ++i) std::fprintf(f, "%s\n", argv[i]);
      std::fclose(f);
    }
  }
  std::puts("installer output");
  std::fputs("installer diagnostics\n", stderr);
  const char* exitText = std::getenv("FAKE_INSTALLER_EXIT");
  uint32_t code = exitText ? static_cast<uint32_t>(std::strtoul(exitText, nullptr, 10)) : 0;
  return platform::finishProgram(code);
}
