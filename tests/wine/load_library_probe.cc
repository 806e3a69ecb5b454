// Loads libraries the careless way, LoadLibraryA with a bare file name, which
// searches the program's own directory and the current directory before the
// system directory. The Wine tests run it beside planted libraries to show
// that such a load would pick them up, so that a program that does not is
// known to search safely.
//
//   load_library_probe <file name> ...
//
// prints "<file name>=<full path of the module loaded>" or
// "<file name>!<error>" per name. Exit code 0, or 2 on bad usage.

#include <windows.h>

#include <cstdio>

int main(int argc, char** argv) {
  if (argc < 2) {
    std::fprintf(stderr, "usage: load_library_probe <file name> ...\n");
    return 2;
  }
  for (int i = 1; i < argc; ++i) {
    HMODULE library = LoadLibraryA(argv[i]);
    if (library == nullptr) {
      std::printf("%s!%lu\n", argv[i], static_cast<unsigned long>(GetLastError()));
      continue;
    }
    char path[MAX_PATH] = {};
    GetModuleFileNameA(library, path, MAX_PATH);
    std::printf("%s=%s\n", argv[i], path);
  }
  return 0;
}
