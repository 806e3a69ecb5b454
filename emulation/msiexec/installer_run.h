#pragma once

#include <cstdint>
#include <string>
#include <vector>

// One run of the emulated installer, from its command line to its exit code:
// it opens the log, reads the package and its transforms, takes the
// machine's installer lock, decides between a first installation, a
// reinstall and maintenance of the addressed product code, runs the
// package's sequence, and commits the registry in one atomic write.
namespace msiexec {

// args: the arguments after the program name, as UTF-8. callingProcess:
// the program's Windows path, for the log. Answers Windows Installer's exit
// code.
uint32_t runInstaller(const std::vector<std::string>& args, const std::string& callingProcess);

// Set to a host file name, the installer creates that file just before it
// commits the registry and waits while the file exists: tests stop it there
// or let it go on by removing the file.
constexpr const char* kPauseBeforeCommitVariable = "KV7_MSIEXEC_PAUSE_BEFORE_COMMIT";

}  // namespace msiexec
