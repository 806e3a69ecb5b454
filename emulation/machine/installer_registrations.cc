// Windows Installer's product registrations, answered from the uninstall
// keys of the machine's registry: a product is installed when
// HKEY_LOCAL_MACHINE\SOFTWARE\Microsoft\Windows\CurrentVersion\Uninstall\{CODE}
// has "WindowsInstaller"=dword:00000001.
#include <cstring>
#include <map>
#include <memory>
#include <string>
#include <unordered_map>

#include "emulation/machine/code_page.h"
#include "emulation/machine/machine.h"
#include "emulation/machine/product_registration_format.h"
#include "emulation/machine/registry_view.h"
#include "platform/platform.h"

namespace platform {
namespace {

constexpr int kInstallStateInvalidArgument = -2;

// The products the registry in force registers, by product code: a run asks
// about hundreds of product codes, most of them not installed, so the
// uninstall keys are indexed once per registry and a query folds the code in
// place and makes one hashed lookup. The texts of the properties asked for
// are kept with their product.
class RegisteredProducts {
 public:
  explicit RegisteredProducts(std::shared_ptr<const emulated::RegistryFile> registry)
      : registry_(std::move(registry)) {
    emulated::OpenedKey uninstall;
    if (emulated::openMachineKey(emulated::kUninstallKey, false, &uninstall) != kErrorSuccess ||
        uninstall.registry != registry_) {
      return;
    }
    for (const emulated::RegistryKey* key : uninstall.key->subkeys()) {
      products_.emplace(emulated::foldName(key->name()),
                        Product{key, emulated::isInstallerRegistration(*key), {}});
    }
  }

  const std::shared_ptr<const emulated::RegistryFile>& registry() const { return registry_; }

  // The uninstall key of a product Windows Installer registered under the
  // code (ANSI), or null.
  const emulated::RegistryKey* find(const char* productCode) {
    Product* product = productOf(productCode);
    return product != nullptr && product->fromInstaller ? product->key : nullptr;
  }

  // The text of the key's value (ANSI), read once.
  const std::string& text(const char* productCode, const char* valueName) {
    static const std::string kNone;
    Product* product = productOf(productCode);
    if (product == nullptr) return kNone;
    auto known = product->texts.find(valueName);
    if (known != product->texts.end()) return known->second;
    std::string text;
    if (const emulated::RegistryValue* stored = product->key->findValue(valueName)) {
      std::string utf8;
      if (emulated::valueAsText(*stored, &utf8)) text = emulated::utf8ToAnsi(utf8);
    }
    return product->texts.emplace(valueName, std::move(text)).first->second;
  }

 private:
  struct Product {
    const emulated::RegistryKey* key;
    bool fromInstaller;
    std::map<std::string, std::string> texts;  // by value name as asked
  };

  Product* productOf(const char* productCode) {
    auto found = products_.find(foldedCode(productCode));
    return found != products_.end() ? &found->second : nullptr;
  }

  // The code as the index holds it: an ASCII code is folded in place, any
  // other goes the long way round.
  const std::string& foldedCode(const char* productCode) {
    folded_.assign(productCode);
    // Eight letters at a time: a byte from 'a' to 'z' loses its bit 0x20.
    constexpr uint64_t kOnes = 0x0101010101010101ull;
    constexpr uint64_t kHighBits = 0x80 * kOnes;
    uint64_t highBits = 0;
    std::size_t i = 0;
    for (; i + 8 <= folded_.size(); i += 8) {
      uint64_t word;
      std::memcpy(&word, folded_.data() + i, 8);
      const uint64_t low = word & ~kHighBits;
      const uint64_t fromA = low + (0x80 - 'a') * kOnes;
      const uint64_t pastZ = low + (0x80 - 'z' - 1) * kOnes;
      word ^= (fromA & ~pastZ & ~word & kHighBits) >> 2;
      std::memcpy(folded_.data() + i, &word, 8);
      highBits |= word;
    }
    for (; i < folded_.size(); ++i) {
      char& c = folded_[i];
      highBits |= static_cast<unsigned char>(c);
      if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 32);
    }
    // Any other code goes the long way round.
    if ((highBits & kHighBits) != 0) {
      folded_ = emulated::foldName(emulated::ansiToUtf8(productCode));
    }
    return folded_;
  }

  std::shared_ptr<const emulated::RegistryFile> registry_;
  std::unordered_map<std::string, Product> products_;
  std::string folded_;
};

// The uninstall key of an installed product, or none.
bool findProduct(const char* productCode, emulated::OpenedKey* product,
                 RegisteredProducts** index = nullptr) {
  thread_local std::unique_ptr<RegisteredProducts> registered;
  std::shared_ptr<const emulated::RegistryFile> registry = emulated::machineRegistry(nullptr);
  if (registry == nullptr) return false;
  if (registered == nullptr || registered->registry() != registry) {
    registered = std::make_unique<RegisteredProducts>(registry);
  }
  const emulated::RegistryKey* key = registered->find(productCode);
  if (key == nullptr) return false;
  product->registry = std::move(registry);
  product->key = key;
  if (index != nullptr) *index = registered.get();
  return true;
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
  RegisteredProducts* registered = nullptr;
  if (!findProduct(productCode, &product, &registered)) return kErrorUnknownProduct;
  const char* valueName = emulated::productPropertyValueName(property);
  if (valueName == nullptr) return kErrorUnknownProperty;
  const std::string& text = registered->text(productCode, valueName);
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
