#include "emulation/msiexec/component_registrations.h"

#include "base/ascii.h"
#include "emulation/machine/registry_view.h"
#include "emulation/msiexec/installer_options.h"

namespace msiexec {
namespace {

std::string componentKey(const std::string& packedComponent) {
  return std::string(kComponentsKey) + "\\" + packedComponent;
}

}  // namespace

std::string packedGuid(std::string_view guid) {
  // Component codes have the braced form of product codes.
  if (!isProductCode(guid)) return "";
  std::string digits;
  for (char c : guid) {
    if (ascii::isXDigit(c)) digits += ascii::toUpper(c);
  }
  // Groups of 8, 4 and 4 digits reversed; then eight bytes, each with its
  // two digits swapped.
  std::string packed(digits.rbegin() + 24, digits.rend());
  packed.append(digits.rbegin() + 20, digits.rbegin() + 24);
  packed.append(digits.rbegin() + 16, digits.rbegin() + 20);
  for (std::size_t i = 16; i < 32; i += 2) {
    packed += digits[i + 1];
    packed += digits[i];
  }
  return packed;
}

bool addComponentClient(emulated::RegistryFile* registry, std::string_view componentId,
                        std::string_view productCode, std::string_view keyPath) {
  const std::string component = packedGuid(componentId);
  const std::string product = packedGuid(productCode);
  if (component.empty() || product.empty()) return false;
  return registry->setValue(componentKey(component), emulated::makeTextValue(product, keyPath));
}

bool addSystemClient(emulated::RegistryFile* registry, std::string_view componentId) {
  const std::string component = packedGuid(componentId);
  if (component.empty()) return false;
  return registry->setValue(componentKey(component), emulated::makeTextValue(kSystemClient, ""));
}

void removeComponentClient(emulated::RegistryFile* registry, std::string_view componentId,
                           std::string_view productCode) {
  const std::string component = packedGuid(componentId);
  const std::string product = packedGuid(productCode);
  if (component.empty() || product.empty()) return;
  const std::string key = componentKey(component);
  registry->deleteValue(key, product);
  const emulated::RegistryKey* left = registry->findKey(key);
  if (left != nullptr && left->values().empty() && left->subkeys().empty()) {
    registry->deleteKey(key);
  }
}

std::vector<std::string> otherComponentClients(const emulated::RegistryFile& registry,
                                               std::string_view componentId,
                                               std::string_view productCode) {
  std::vector<std::string> clients;
  const std::string component = packedGuid(componentId);
  if (component.empty()) return clients;
  const emulated::RegistryKey* key = registry.findKey(componentKey(component));
  if (key == nullptr) return clients;
  const std::string product = packedGuid(productCode);
  for (const emulated::RegistryValue& value : key->values()) {
    if (!ascii::equalsNoCase(value.name, product)) clients.push_back(value.name);
  }
  return clients;
}

std::string registryKeyPathText(int root, bool is64Bit, std::string_view key,
                                std::string_view name) {
  const int number = root + (is64Bit ? 20 : 0);
  std::string text = (number < 10 ? "0" : "") + std::to_string(number) + ":\\";
  text += key;
  while (!text.empty() && text.back() == '\\') text.pop_back();
  text += '\\';
  text += name;
  return text;
}

}  // namespace msiexec
