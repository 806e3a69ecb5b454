// The registry side of an installation: properties found in the registry
// (AppSearch) and the package's registry values (WriteRegistryValues).
#include "base/ascii.h"
#include "emulation/machine/registry_view.h"
#include "emulation/msiexec/install_session.h"
#include "emulation/msiexec/registry_value_text.h"
#include "platform/platform.h"

namespace msiexec {
namespace {

constexpr int kLocatorRaw = 2;
constexpr int kLocatorTypeMask = 0x0F;
constexpr int kLocator64Bit = 0x10;
// Windows refuses a key whose name is longer.
constexpr std::size_t kMaxKeyName = 255;

bool keyNamesFit(const std::string& keyPath) {
  for (std::string_view name : emulated::splitKeyPath(keyPath)) {
    if (name.size() > kMaxKeyName) return false;
  }
  return true;
}

std::string hexBytes(const std::string& bytes) {
  static constexpr char kDigits[] = "0123456789ABCDEF";
  std::string text;
  for (unsigned char c : bytes) {
    text += kDigits[c >> 4];
    text += kDigits[c & 0xF];
  }
  return text;
}

// A registry value as AppSearch hands it to a property: texts as they are,
// numbers as "#n", expandable texts as "#%text", binary data as "#x" and
// hexadecimal digits.
bool rawValueText(const emulated::RegistryValue& value, std::string* text) {
  switch (value.type) {
    case platform::kRegSz:
      return emulated::valueAsText(value, text);
    case platform::kRegExpandSz:
      if (!emulated::valueAsText(value, text)) return false;
      *text = "#%" + *text;
      return true;
    case platform::kRegDword:
      if (!emulated::valueAsText(value, text)) return false;
      *text = "#" + *text;
      return true;
    default:
      *text = "#x" + hexBytes(value.data);
      return true;
  }
}

}  // namespace

int InstallSession::registryRoot(int root) const {
  if (root != -1) return root;
  return properties_.get("ALLUSERS").empty() ? 1 : 2;
}

std::string InstallSession::registryKeyPath(int root, const std::string& key, bool is64Bit) const {
  std::string rootName;
  std::string subKey = key;
  while (!subKey.empty() && subKey.back() == '\\') subKey.pop_back();
  switch (registryRoot(root)) {
    case 0:
      // Classes of a per-machine installation live in the machine's hive.
      rootName = "HKEY_LOCAL_MACHINE";
      subKey = "SOFTWARE\\Classes\\" + subKey;
      break;
    case 1:
      rootName = "HKEY_CURRENT_USER";
      break;
    case 2:
      rootName = "HKEY_LOCAL_MACHINE";
      break;
    case 3:
      rootName = "HKEY_USERS";
      break;
    default:
      return "";
  }
  // A 32-bit component's machine software keys are redirected, as on 64-bit
  // Windows.
  if (!is64Bit && rootName == "HKEY_LOCAL_MACHINE" && ascii::startsWithNoCase(subKey, "SOFTWARE") &&
      (subKey.size() == 8 || subKey[8] == '\\') &&
      !ascii::startsWithNoCase(subKey, "SOFTWARE\\WOW6432Node")) {
    subKey = "SOFTWARE\\WOW6432Node" + subKey.substr(8);
  }
  return rootName + "\\" + subKey;
}

bool InstallSession::registryRowKey(const RegistryRow& row, std::string* keyPath) {
  const ComponentRow* component = componentRow(row.component);
  const bool is64Bit = component != nullptr && (component->attributes & kComponent64Bit) != 0;
  *keyPath = registryKeyPath(row.root, format(row.key), is64Bit);
  if (keyPath->empty()) {
    return fail("the registry row " + row.registry + " has the unknown root " +
                std::to_string(row.root));
  }
  return true;
}

bool InstallSession::appSearch() {
  for (const AppSearchRow& search : tables_.appSearch) {
    const RegLocatorRow* locator = nullptr;
    for (const RegLocatorRow& row : tables_.regLocators) {
      if (row.signature == search.signature) locator = &row;
    }
    if (locator == nullptr) {
      log_->message("AppSearch: " + search.signature +
                    " has no registry locator; other locators are not searched here");
      continue;
    }
    if ((locator->type & kLocatorTypeMask) != kLocatorRaw) {
      log_->message("AppSearch: " + search.signature +
                    " looks for a file or directory; only registry values are searched here");
      continue;
    }
    const std::string keyPath =
        registryKeyPath(locator->root, format(locator->key), (locator->type & kLocator64Bit) != 0);
    const std::string name = locator->nameNull ? "" : format(locator->name);
    const emulated::RegistryKey* key = keyPath.empty() ? nullptr : registry_->findKey(keyPath);
    const emulated::RegistryValue* value = key ? key->findValue(name) : nullptr;
    std::string text;
    if (value == nullptr || !rawValueText(*value, &text)) {
      log_->message("AppSearch: Property: " + search.property + ", Signature: " + search.signature +
                    ": nothing found in " + keyPath);
      continue;
    }
    log_->message("AppSearch: Property: " + search.property + ", Signature: " + search.signature +
                  ", Value: " + text);
    properties_.set(search.property, text);
  }
  return true;
}

bool InstallSession::writeRegistryValues() {
  for (const RegistryRow& row : tables_.registry) {
    if (!components_.count(row.component)) continue;
    if (!rewritesRegistry(row.root)) {
      log_->message("WriteRegistryValues: " + row.registry + " kept as it is");
      continue;
    }
    std::string keyPath;
    if (!registryRowKey(row, &keyPath)) return false;
    if (!keyNamesFit(keyPath)) {
      return fail("the registry key " + keyPath + " has a name longer than " +
                  std::to_string(kMaxKeyName) + " characters");
    }
    const std::string name = row.nameNull ? "" : format(row.name);
    if (row.valueNull) {
      // "+" and "*" and an unnamed row without a value ask only for the key;
      // "-" asks for its removal with the component, which is no concern of
      // an installation.
      if (name == "-") continue;
      if (!name.empty() && name != "+" && name != "*") {
        return fail("the registry row " + row.registry + " has a name but no value");
      }
      if (registry_->createKey(keyPath) == nullptr) return fail("cannot create " + keyPath);
      log_->message("WriteRegistryValues: Key: " + keyPath);
      continue;
    }
    emulated::RegistryValue value;
    std::string error;
    if (!registryValueFromText(name, format(row.value), &value, &error)) {
      return fail("the registry row " + row.registry + ": " + error);
    }
    if (!registry_->setValue(keyPath, value)) return fail("cannot write to " + keyPath);
    std::string shown;
    if (!emulated::valueAsText(value, &shown))
      shown = "(" + std::to_string(value.data.size()) + " bytes)";
    log_->message("WriteRegistryValues: Key: " + keyPath + ", Name: " + name + ", Value: " + shown);
  }
  return true;
}

}  // namespace msiexec
