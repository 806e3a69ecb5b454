// Prints the Windows system directory as GetSystemDirectoryA answers it, for
// the Wine tests: the launcher names the installer by this directory, and
// Wine spells it differently from Windows and from the emulated machine.

#include <windows.h>

#include <cstdio>

int main() {
  char directory[MAX_PATH + 1] = {};
  const UINT length = GetSystemDirectoryA(directory, sizeof directory);
  if (length == 0 || length >= sizeof directory) return 1;
  std::fputs(directory, stdout);
  return 0;
}
