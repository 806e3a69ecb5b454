#include "emulation/machine/product_registration_format.h"

#include "platform/platform.h"

namespace emulated {

std::string uninstallKeyPath(std::string_view productCode) {
  std::string path = "HKEY_LOCAL_MACHINE\\";
  path += kUninstallKey;
  path += '\\';
  path += productCode;
  return path;
}

bool isInstallerRegistration(const RegistryKey& key) {
  const RegistryValue* marker = key.findValue(uninstall_value::kWindowsInstaller);
  return marker != nullptr && marker->type == platform::kRegDword &&
         marker->data == std::string("\1\0\0\0", 4);
}

const char* productPropertyValueName(std::string_view property) {
  struct Property {
    std::string_view property;
    const char* valueName;
  };
  static constexpr Property kProperties[] = {
      {"InstallLocation", uninstall_value::kInstallLocation},
      {"LocalPackage", uninstall_value::kLocalPackage},
      {"InstalledProductName", uninstall_value::kDisplayName},
      {"VersionString", uninstall_value::kDisplayVersion},
      {"Publisher", uninstall_value::kPublisher},
      {"InstallSource", uninstall_value::kInstallSource},
      {"InstallDate", uninstall_value::kInstallDate},
      // The transforms the product was installed with, which every later
      // run on it applies again.
      {"Transforms", uninstall_value::kTransforms},
  };
  for (const Property& p : kProperties) {
    if (p.property == property) return p.valueName;
  }
  return nullptr;
}

}  // namespace emulated
