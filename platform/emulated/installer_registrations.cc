// Windows Installer's product registrations, answered from the uninstall
// keys of the machine's registry: a product is installed when
// HKEY_LOCAL_MACHINE\SOFTWARE\Microsoft\Windows\CurrentVersion\Uninstall\{CODE}
// has "WindowsInstaller"=dword:00000001.
#include <cstring>
#include <memory>
#include <string>

#include "platform/emulated/code_page.h"
#include "platform/emulated/machine.h"
#include "platform/emulated/registry_view.h"
#include "platform/platform.h"

namespace platform {
namespace {

constexpr char kUninstallKey[] = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall";
constexpr int kInstallStateInvalidArgument = -2;

// The uninstall key of an installed product, or none. A run asks about
// hundreds of product codes, so the uninstall key of the registry in force is
// found once and each query is one hashed lookup below it.
bool findProduct(const char* productCode, emulated::OpenedKey* product) {
  struct UninstallKey {
    std::shared_ptr<const emulated::RegistryFile> registry;
    const emulated::RegistryKey* key = nullptr;
  };
  thread_local UninstallKey cached;
  std::shared_ptr<const emulated::RegistryFile> registry = emulated::machineRegistry(nullptr);
  if (registry == nullptr) return false;
  if (registry != cached.registry) {
    emulated::OpenedKey uninstall;
    cached.key = emulated::openMachineKey(kUninstallKey, false, &uninstall) == kErrorSuccess
                     ? uninstall.key
                     : nullptr;
    cached.registry = registry;
  }
  if (cached.key == nullptr) return false;
  const emulated::RegistryKey* key = cached.key->findSubkey(emulated::ansiToUtf8(productCode));
  if (key == nullptr) return false;
  const emulated::RegistryValue* marker = key->findValue("WindowsInstaller");
  if (marker == nullptr || marker->type != kRegDword ||
      marker->data != std::string("\1\0\0\0", 4)) {
    return false;
  }
  product->registry = std::move(registry);
  product->key = key;
  return true;
}

// The uninstall value that holds each product property the emulation knows.
const char* propertyValueName(std::string_view property) {
  struct Property {
    std::string_view property;
    const char* valueName;
  };
  static constexpr Property kProperties[] = {
      {"InstallLocation", "InstallLocation"},
      {"LocalPackage", "LocalPackage"},
      {"InstalledProductName", "DisplayName"},
      {"VersionString", "DisplayVersion"},
      {"Publisher", "Publisher"},
      {"InstallSource", "InstallSource"},
      {"InstallDate", "InstallDate"},
  };
  for (const Property& p : kProperties) {
    if (p.property == property) return p.valueName;
  }
  return nullptr;
}

}  // namespace

int msiQueryProductState(const char* productCode) {
  if (productCode == nullptr) return kInstallStateInvalidArgument;
  emulated::OpenedKey product;
  return findProduct(productCode, &product) ? kInstallStateDefault : kInstallStateUnknown;
}

uint32_t msiGetProductInfo(const char* productCode, const char* property, char* value,
                           uint32_t* size) {
  if (productCode == nullptr || property == nullptr) return kErrorInvalidParameter;
  if (value != nullptr && size == nullptr) return kErrorInvalidParameter;
  emulated::OpenedKey product;
  if (!findProduct(productCode, &product)) return kErrorUnknownProduct;
  const char* valueName = propertyValueName(property);
  if (valueName == nullptr) return kErrorUnknownProperty;
  std::string text;
  if (const emulated::RegistryValue* stored = product.key->findValue(valueName)) {
    std::string utf8;
    if (emulated::valueAsText(*stored, &utf8)) text = emulated::utf8ToAnsi(utf8);
  }
  if (size == nullptr) return kErrorSuccess;
  const uint32_t length = static_cast<uint32_t>(text.size());
  if (value == nullptr) {
    *size = length;
    return kErrorSuccess;
  }
  if (*size <= length) {
    *size = length;
    return kErrorMoreData;
  }
  std::memcpy(value, text.c_str(), text.size() + 1);
  *size = length;
  return kErrorSuccess;
}

}  // namespace platform
