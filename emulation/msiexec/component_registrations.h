#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "emulation/machine/registry_file.h"

// Which installed products use which component, kept as Windows Installer
// keeps it for per-machine installations: under
// HKEY_LOCAL_MACHINE\SOFTWARE\Microsoft\Windows\CurrentVersion\Installer\UserData\S-1-5-18\Components
// one key per component code, and in it one value per product that uses the
// component, named by the product code and holding the component's key path
// (a file, "22:\SOFTWARE\...\Value" for a value of the 64-bit registry, or
// a directory). Both named in packed form. A component is taken away only
// with its last client, so products that share component codes share the
// files and registry values too.
namespace msiexec {

constexpr char kComponentsKey[] =
    "HKEY_LOCAL_MACHINE\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Installer\\UserData\\"
    "S-1-5-18\\Components";

// The client that a permanent component gets, so that no removal takes it.
constexpr char kSystemClient[] = "00000000000000000000000000000000";

// A GUID as Windows Installer names it in its registrations: the digits of
// the first three groups in reverse order, those of the last two with each
// pair swapped, no braces and no dashes
// ({5C1E7A20-3B9D-4F62-A8D1-0E4B7C93F2A6} is 02A7E1C5D9B326F48A1DE0B4C7392F6A).
// Empty for a text that is no GUID.
std::string packedGuid(std::string_view guid);

// Records that the product uses the component, with its key path. False when
// either code is no GUID.
bool addComponentClient(emulated::RegistryFile* registry, std::string_view componentId,
                        std::string_view productCode, std::string_view keyPath);

// Records that a permanent component stays whatever product is removed.
bool addSystemClient(emulated::RegistryFile* registry, std::string_view componentId);

// Takes the product off the component's clients; the component's key goes
// with its last client.
void removeComponentClient(emulated::RegistryFile* registry, std::string_view componentId,
                           std::string_view productCode);

// The clients of the component other than the product (their packed codes,
// the system client among them).
std::vector<std::string> otherComponentClients(const emulated::RegistryFile& registry,
                                               std::string_view componentId,
                                               std::string_view productCode);

// The key path of a component whose key path is a registry value (name
// given) or key (name empty), as Windows Installer writes it: the root as
// two digits (00 HKEY_CLASSES_ROOT, 01 HKEY_CURRENT_USER, 02
// HKEY_LOCAL_MACHINE, 03 HKEY_USERS, 20 more for the 64-bit registry), then
// ":\" and the key; a key ends in a backslash, a value's name follows it.
std::string registryKeyPathText(int root, bool is64Bit, std::string_view key,
                                std::string_view name);

}  // namespace msiexec
