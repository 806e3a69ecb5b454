#pragma once

#include <string>
#include <string_view>

#include "emulation/machine/registry_file.h"

// How Windows Installer registers an installed product on the emulated
// machine: the product's uninstall key, which the installer writes and the
// machine's product queries read. Both sides take the key, the marker and
// the value names from here, so that they cannot drift apart.
namespace emulated {

// Below HKEY_LOCAL_MACHINE; one subkey per product code.
constexpr char kUninstallKey[] = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall";

// The uninstall key's values the installer writes.
namespace uninstall_value {
constexpr char kWindowsInstaller[] = "WindowsInstaller";  // dword 1: made by Windows Installer
constexpr char kDisplayName[] = "DisplayName";
constexpr char kDisplayVersion[] = "DisplayVersion";
constexpr char kPublisher[] = "Publisher";
constexpr char kInstallLocation[] = "InstallLocation";
constexpr char kInstallSource[] = "InstallSource";
constexpr char kInstallDate[] = "InstallDate";
constexpr char kLocalPackage[] = "LocalPackage";
constexpr char kTransforms[] = "Transforms";
constexpr char kVersion[] = "Version";
constexpr char kVersionMajor[] = "VersionMajor";
constexpr char kVersionMinor[] = "VersionMinor";
constexpr char kLanguage[] = "Language";
// The commands of "Add or Remove Programs" (REG_EXPAND_SZ), and the dword
// flags that take its buttons away.
constexpr char kUninstallString[] = "UninstallString";
constexpr char kModifyPath[] = "ModifyPath";
constexpr char kNoModify[] = "NoModify";
constexpr char kNoRemove[] = "NoRemove";
constexpr char kNoRepair[] = "NoRepair";
}  // namespace uninstall_value

// The full path of a product's uninstall key, as the registry file names
// keys ("HKEY_LOCAL_MACHINE\SOFTWARE\...\Uninstall\{CODE}").
std::string uninstallKeyPath(std::string_view productCode);

// Whether an uninstall key says that Windows Installer made it.
bool isInstallerRegistration(const RegistryKey& key);

// The uninstall value that answers a product property of MsiGetProductInfo
// ("InstalledProductName" is "DisplayName"), or null for a property the
// emulation does not know.
const char* productPropertyValueName(std::string_view property);

}  // namespace emulated
