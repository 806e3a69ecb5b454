// Prints the program's own file name as GetModuleFileNameA answers it, for
// the Wine tests: started from a share, Windows names it \\server\share\...,
// and the launcher finds its image beside it by that name.

#include <windows.h>

#include <cstdio>

int main() {
  char name[MAX_PATH + 1] = {};
  const DWORD length = GetModuleFileNameA(nullptr, name, sizeof name);
  if (length == 0 || length >= sizeof name) return 1;
  std::fputs(name, stdout);
  return 0;
}
