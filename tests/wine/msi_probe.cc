// A Windows console program for the Wine tests: it asks Windows Installer
// about product codes the way the launcher does (ANSI entry points), so a
// test can see what the launcher would see after a real installation.
//
//   msi_probe <product code> [property ...]
//
// prints "state=<INSTALLSTATE>" and then one "<property>=<value>" line per
// property asked for, or "<property>!<error>" when the installer refuses it.
// Exit code 0 when the product is installed (state 5), 1 when it is not,
// 2 on bad usage.

#include <windows.h>
// msi.h needs the Windows types first.
#include <msi.h>

#include <cstdio>

namespace {

constexpr int kInstalled = 0;
constexpr int kNotInstalled = 1;
constexpr int kUsage = 2;

void printProperty(const char* productCode, const char* property) {
  char value[1024] = {};
  DWORD size = sizeof value;
  const UINT rc = MsiGetProductInfoA(productCode, property, value, &size);
  if (rc == ERROR_SUCCESS) {
    std::printf("%s=%s\n", property, value);
  } else {
    std::printf("%s!%u\n", property, rc);
  }
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 2) {
    std::fprintf(stderr, "usage: msi_probe <product code> [property ...]\n");
    return kUsage;
  }
  const char* productCode = argv[1];
  const INSTALLSTATE state = MsiQueryProductStateA(productCode);
  std::printf("state=%d\n", static_cast<int>(state));
  for (int i = 2; i < argc; ++i) printProperty(productCode, argv[i]);
  std::fflush(stdout);
  return state == INSTALLSTATE_DEFAULT ? kInstalled : kNotInstalled;
}
