// msiexec: Windows Installer of the emulated Windows machine. It installs
// and maintains the product family's driver package from the command line
// that setup composes, and ends with Windows Installer's exit codes.
#include <cstdio>
#include <string>
#include <vector>

#include "base/fixed_text.h"
#include "emulation/machine/code_page.h"
#include "emulation/msiexec/installer_options.h"
#include "emulation/msiexec/installer_run.h"
#include "platform/platform.h"

int main() {
  uint32_t code = platform::startProgram();
  if (code == 0) {
    // msiexec reads its command line by rules of its own, not from the
    // runtime's arguments. It arrives in the machine's ANSI code page; the
    // installer works in UTF-8, as the package and the registry model do.
    std::vector<std::string> args = msiexec::splitInstallerCommandLine(platform::getCommandLine());
    for (std::string& arg : args) arg = emulated::ansiToUtf8(arg);
    char self[kPathCapacity] = {};
    const uint32_t length = platform::getModuleFileName(self, sizeof self);
    const std::string callingProcess =
        length > 0 && length < sizeof self ? emulated::ansiToUtf8(self) : "msiexec.exe";
    code = msiexec::runInstaller(args, callingProcess);
  }
  std::fflush(stdout);
  return platform::finishProgram(code);
}
