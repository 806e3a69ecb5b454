#include "emulation/msiexec/product_registration.h"

#include <cstdint>
#include <cstdio>
#include <ctime>

#include "base/ascii.h"
#include "emulation/machine/product_registration_format.h"
#include "emulation/machine/registry_view.h"
#include "platform/platform.h"

namespace msiexec {
namespace {

uint32_t versionField(const std::string& version, int index) {
  std::size_t start = 0;
  for (int i = 0; i < index; ++i) {
    start = version.find('.', start);
    if (start == std::string::npos) return 0;
    ++start;
  }
  return static_cast<uint32_t>(std::strtoul(version.c_str() + start, nullptr, 10));
}

std::string today() {
  const std::time_t now = std::time(nullptr);
  std::tm local{};
  localtime_r(&now, &local);
  char text[48];
  std::snprintf(text, sizeof text, "%04d%02d%02d", local.tm_year + 1900, local.tm_mon + 1,
                local.tm_mday);
  return text;
}

}  // namespace

using emulated::uninstallKeyPath;
namespace value = emulated::uninstall_value;

bool isProductInstalled(const emulated::RegistryFile& registry, const std::string& productCode) {
  const emulated::RegistryKey* key = registry.findKey(uninstallKeyPath(productCode));
  return key != nullptr && emulated::isInstallerRegistration(*key);
}

namespace {

std::string registeredText(const emulated::RegistryFile& registry, const std::string& productCode,
                           const char* name) {
  const emulated::RegistryKey* key = registry.findKey(uninstallKeyPath(productCode));
  const emulated::RegistryValue* value = key ? key->findValue(name) : nullptr;
  std::string text;
  if (value == nullptr || !emulated::valueAsText(*value, &text)) return "";
  return text;
}

}  // namespace

std::string registeredLocalPackage(const emulated::RegistryFile& registry,
                                   const std::string& productCode) {
  return registeredText(registry, productCode, value::kLocalPackage);
}

std::string registeredTransforms(const emulated::RegistryFile& registry,
                                 const std::string& productCode) {
  return registeredText(registry, productCode, value::kTransforms);
}

void registerProduct(emulated::RegistryFile* registry, const ProductRegistration& product) {
  const std::string key = uninstallKeyPath(product.productCode);
  const uint32_t major = versionField(product.productVersion, 0);
  const uint32_t minor = versionField(product.productVersion, 1);
  const uint32_t build = versionField(product.productVersion, 2);
  registry->setValue(key, emulated::makeDwordValue(value::kWindowsInstaller, 1));
  registry->setValue(key, emulated::makeTextValue(value::kDisplayName, product.productName));
  registry->setValue(key, emulated::makeTextValue(value::kDisplayVersion, product.productVersion));
  registry->setValue(key, emulated::makeTextValue(value::kPublisher, product.manufacturer));
  registry->setValue(key,
                     emulated::makeTextValue(value::kInstallLocation, product.installLocation));
  registry->setValue(key, emulated::makeTextValue(value::kInstallSource, product.installSource));
  registry->setValue(key, emulated::makeTextValue(value::kLocalPackage, product.localPackage));
  if (!product.transforms.empty()) {
    registry->setValue(key, emulated::makeTextValue(value::kTransforms, product.transforms));
  }
  registry->setValue(key, emulated::makeTextValue(value::kInstallDate, today()));
  registry->setValue(
      key, emulated::makeDwordValue(value::kVersion, (major << 24) | (minor << 16) | build));
  registry->setValue(key, emulated::makeDwordValue(value::kVersionMajor, major));
  registry->setValue(key, emulated::makeDwordValue(value::kVersionMinor, minor));
  registry->setValue(
      key, emulated::makeDwordValue(value::kLanguage, static_cast<uint32_t>(std::strtoul(
                                                          product.language.c_str(), nullptr, 10))));
  // A flag once written stays when a later run (a reinstall) does not ask
  // for it again, as Wine's installer keeps it.
  if (product.noRemove) {
    registry->setValue(key, emulated::makeDwordValue(value::kNoRemove, 1));
    return;
  }
  if (product.noRepair) registry->setValue(key, emulated::makeDwordValue(value::kNoRepair, 1));
  if (product.noModify) registry->setValue(key, emulated::makeDwordValue(value::kNoModify, 1));
  const std::string command =
      std::string(product.noModify ? "MsiExec.exe /X" : "MsiExec.exe /I") + product.productCode;
  registry->setValue(key,
                     emulated::makeTextValue(value::kModifyPath, command, platform::kRegExpandSz));
  registry->setValue(
      key, emulated::makeTextValue(value::kUninstallString, command, platform::kRegExpandSz));
}

void unregisterProduct(emulated::RegistryFile* registry, const std::string& productCode) {
  registry->deleteKey(uninstallKeyPath(productCode));
}

std::string cachedPackagePath(const std::string& productCode) {
  // FNV-1a over the upper-case code: the same product keeps its name.
  uint32_t hash = 2166136261u;
  for (char c : productCode) {
    hash ^= static_cast<unsigned char>(ascii::toUpper(c));
    hash *= 16777619u;
  }
  char name[16];
  std::snprintf(name, sizeof name, "%08x", hash);
  return std::string("C:\\Windows\\Installer\\") + name + ".msi";
}

std::string cachedTransformPath(const std::string& productCode, const std::string& transformPath) {
  std::string folder = cachedPackagePath(productCode);
  folder.resize(folder.size() - 4);  // without ".msi"
  const std::size_t slash = transformPath.find_last_of('\\');
  return folder + "\\" + transformPath.substr(slash == std::string::npos ? 0 : slash + 1);
}

}  // namespace msiexec
