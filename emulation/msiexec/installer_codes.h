#pragma once

#include <cstdint>

// The exit codes of the emulated installer: Windows Installer's own, so that
// the launcher and its users see what they would see on Windows.
namespace msiexec {

constexpr uint32_t kSuccess = 0;
constexpr uint32_t kInstallFailure = 1603;
constexpr uint32_t kUnknownProduct = 1605;
constexpr uint32_t kInstallSourceAbsent = 1612;
constexpr uint32_t kAnotherInstallRunning = 1618;
constexpr uint32_t kPackageOpenFailed = 1619;
constexpr uint32_t kLogFileFailure = 1622;
// ERROR_INSTALL_TEMP_UNWRITABLE: the folders the installer writes its own
// files to cannot be written; here the machine directory, where its lock and
// rollback journal live (and its Temp folder, C:\Windows\Temp).
constexpr uint32_t kInstallerFoldersUnwritable = 1632;
constexpr uint32_t kTransformFailure = 1624;
constexpr uint32_t kProductAlreadyInstalled = 1638;
constexpr uint32_t kInvalidCommandLine = 1639;

}  // namespace msiexec
