#pragma once

// Small builders of registry-export text for tests and benchmarks that set up
// emulated machines with installed copies and Windows Installer products.

#include <string>
#include <string_view>

namespace test_registry {

// A text as a quoted registry-export string: backslashes and quotes escaped.
inline std::string quoted(std::string_view text) {
  std::string out = "\"";
  for (char c : text) {
    if (c == '\\' || c == '"') out += '\\';
    out += c;
  }
  return out + "\"";
}

// A key section under HKEY_LOCAL_MACHINE.
inline std::string key(std::string_view subKey) {
  return "\n[HKEY_LOCAL_MACHINE\\" + std::string(subKey) + "]\n";
}

inline std::string value(std::string_view name, std::string_view text) {
  return quoted(name) + "=" + quoted(text) + "\n";
}

// A multi-copy installation named name, installed at path.
inline std::string copy(std::string_view name, std::string_view path) {
  return key("SOFTWARE\\QOR\\KV7\\InstalledCopies\\" + std::string(name)) +
         value("KV7 Path Name", path);
}

// The "CurrentVersion" key of a copy (or of the legacy copy with the family
// key).
inline std::string version(std::string_view copyKey, std::string_view version,
                           std::string_view release, std::string_view modification,
                           std::string_view fixLevel, std::string_view serviceLevel) {
  return key(std::string(copyKey) + "\\CurrentVersion") + value("Version", version) +
         value("Release", release) + value("Modification", modification) +
         value("Fix Level", fixLevel) + value("Service Level", serviceLevel);
}

// A Windows Installer product registered as installed at location.
inline std::string installerProduct(std::string_view productCode, std::string_view location) {
  return key("SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\" +
             std::string(productCode)) +
         "\"WindowsInstaller\"=dword:00000001\n" + value("InstallLocation", location) +
         value("LocalPackage", "C:\\Windows\\Installer\\" + std::string(productCode) + ".msi");
}

// The level file that marks a product as present in a copy.
inline std::string levelFile(std::string_view copyPath, std::string_view shortId) {
  return std::string(copyPath) + "\\cfg\\kv7" + std::string(shortId) + ".lvl";
}

}  // namespace test_registry
