// Asks the product family's instance library for its list, through the
// launcher's own Windows platform code, so the Wine tests can see where that
// code looks for the library and where it never does.
//
//   family_library_probe [PATH value]
//
// With an argument, PATH is set to it first. Prints "open=<result>" in
// hexadecimal (0 when a library answered, 90000002 when none could be had)
// and ends with 0, or with 2 on bad usage.

#include <windows.h>

#include <cstdint>
#include <cstdio>

#include "platform/platform.h"

int main(int argc, char** argv) {
  if (argc > 2) {
    std::fprintf(stderr, "usage: family_library_probe [PATH value]\n");
    return 2;
  }
  if (argc == 2 && !SetEnvironmentVariableA("PATH", argv[1])) return 2;
  platform::InstanceListHandle list = nullptr;
  const uint32_t opened = platform::ossOpenInstanceList("KV7", &list, false);
  std::printf("open=%lx\n", static_cast<unsigned long>(opened));
  if (opened == 0) platform::ossCloseInstanceList(list);
  return 0;
}
