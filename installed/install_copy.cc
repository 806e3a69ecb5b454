#include "installed/install_copy.h"

#include <new>
#include <string_view>

#include "base/ascii.h"
#include "installed/installed_prod_list.h"
#include "installed/instance_list.h"
#include "installed/registry_key.h"
#include "installed/result_codes.h"
#include "installed/text_out.h"
#include "installed/version_reader.h"
#include "platform/platform.h"

namespace {

// Registry key names composed from a copy's key and a subkey.
using KeyName = FixedText<512>;

KeyName subKeyOf(std::string_view key, std::string_view subKey) {
  KeyName composed;
  // Both parts are bounded far below the capacity.
  composed.assign(key);
  composed.append('\\');
  composed.append(subKey);
  return composed;
}

}  // namespace

InstallCopy::InstallCopy(const char* name, bool use32BitView)
    : viewFlags_(use32BitView ? platform::kKeyWow64_32Key : 0) {
  if (name != nullptr && !name_.assign(std::string_view(name))) {
    // The name field holds 64 characters; a longer name names no copy this
    // system can hold, and cutting it could name another one.
    status_ = kCopyUnreadable;
    return;
  }
  if (!name_.empty()) read();
}

InstallCopy::~InstallCopy() = default;

void InstallCopy::read() {
  isLegacy_ = ascii::equalsNoCase(name_.view(), kLegacyCopyName);
  if (isLegacy_) {
    keyPath_.assign(kFamilyKey);
  } else {
    keyPath_.assign(kInstalledCopiesKey);
    keyPath_.append('\\');
    keyPath_.append(name_.view());
  }

  {
    RegistryKey key;
    if (key.open(keyPath_.c_str(), platform::kKeyQueryValue | viewFlags_) != 0) {
      status_ = kCopyUnreadable;
      return;
    }
    FixedText<256> value;
    if (key.readText("KV7 Path Name", &value) != 0) {
      status_ = kCopyUnreadable;
      return;
    }
    if (value.back() == '\\') value.truncate(value.size() - 1);
    path_ = value;
  }

  // The users key is shared by both registry views.
  RegistryKey users;
  hasUsers_ = users.open(subKeyOf(keyPath_.view(), "Users").c_str(), platform::kKeyQueryValue) == 0;

  if (viewFlags_ != 0) {
    RegistryKey components;
    if (components.open(subKeyOf(keyPath_.view(), "Components").c_str(),
                        platform::kKeyQueryValue | viewFlags_) != 0) {
      status_ = kCopyComponentsMissing;
    }
  }
}

uint32_t InstallCopy::GetName(char* buffer, size_t size) const {
  return copyTextOut(name_.view(), buffer, size);
}

uint32_t InstallCopy::GetPath(char* buffer, size_t size) const {
  return copyTextOut(path_.view(), buffer, size);
}

uint32_t InstallCopy::GetKeyPath(char* buffer, size_t size) const {
  return copyTextOut(keyPath_.view(), buffer, size);
}

uint32_t InstallCopy::GetShortPath(char* buffer, size_t size) const {
  if (buffer == nullptr) return RC_MISSING_ARGUMENT;
  if (size == 0) return RC_BUFFER_TOO_SMALL;
  uint32_t capacity = size > UINT32_MAX ? UINT32_MAX : static_cast<uint32_t>(size);
  uint32_t length = platform::getShortPathName(path_.c_str(), buffer, capacity);
  if (length == 0) return RC_FAILED;
  if (length >= capacity) return RC_BUFFER_TOO_SMALL;
  return 0;
}

uint32_t InstallCopy::GetVersion(std::unique_ptr<CopyVersion>* out) const {
  if (out == nullptr) return RC_MISSING_ARGUMENT;
  out->reset(new (std::nothrow) CopyVersion());
  if (*out == nullptr) return RC_NO_MEMORY;
  return readVersionKey(subKeyOf(keyPath_.view(), "CurrentVersion").c_str(),
                        platform::kKeyQueryValue | viewFlags_, !isLegacy_, out->get());
}

uint32_t InstallCopy::GetProducts(InstalledProdList** out) {
  if (out == nullptr) return RC_MISSING_ARGUMENT;
  if (name_.empty()) return RC_FAILED;
  if (products_ == nullptr) {
    products_.reset(new (std::nothrow) InstalledProdList(this));
    if (products_ == nullptr) return RC_NO_MEMORY;
  }
  if (products_->failed()) return RC_FAILED;
  *out = products_.get();
  return 0;
}

bool InstallCopy::HasProduct(const char* catalogueId) {
  InstalledProdList* products = nullptr;
  return GetProducts(&products) == 0 && products->HasProduct(catalogueId);
}

bool InstallCopy::HasProductShortId(const char* shortId) {
  InstalledProdList* products = nullptr;
  return GetProducts(&products) == 0 && products->HasProductShortId(shortId);
}

uint32_t InstallCopy::ProductCount() {
  InstalledProdList* products = nullptr;
  return GetProducts(&products) == 0 ? products->count() : 0;
}

uint32_t InstallCopy::DistinctProductCount() {
  InstalledProdList* products = nullptr;
  return GetProducts(&products) == 0 ? products->DistinctCatalogueIdCount() : 0;
}

uint32_t InstallCopy::ProductClassCount(uint32_t productClass) {
  InstalledProdList* products = nullptr;
  return GetProducts(&products) == 0 ? products->ClassCount(productClass) : 0;
}

bool InstallCopy::readYesValue(const char* valueName) const {
  if (name_.empty()) return false;
  RegistryKey key;
  if (key.open(subKeyOf(kInstalledCopiesKey, name_.view()).c_str(),
               platform::kKeyQueryValue | viewFlags_) != 0) {
    return false;
  }
  FixedText<256> value;
  return key.readText(valueName, &value) == 0 && ascii::equalsNoCase(value.view(), "YES");
}

bool InstallCopy::IsClientInterfaceOnlyCopy() const {
  return readYesValue("ClientInterfaceOnlyCopy");
}

bool InstallCopy::IsMergeModuleCopy() const { return readYesValue("IsMergeModuleCopy"); }

bool InstallCopy::defaultsValueEquals(const char* valueName) const {
  if (name_.empty()) return false;
  RegistryKey key;
  if (key.open(kInstalledCopiesKey, platform::kKeyQueryValue | viewFlags_) != 0) return false;
  FixedText<256> value;
  return key.readText(valueName, &value) == 0 && ascii::equalsNoCase(value.view(), name_.view());
}

bool InstallCopy::IsDefaultClientInterfaceCopy() const {
  return defaultsValueEquals("defaultClientInterfaceCopy");
}

bool InstallCopy::IsDefaultCopy() const {
  if (isLegacy_) return true;
  return defaultsValueEquals("");
}

uint32_t InstallCopy::GetInstanceDefault(char* buffer, size_t size) const {
  if (name_.empty()) return RC_MISSING_ARGUMENT;
  if (buffer == nullptr) return RC_MISSING_ARGUMENT;
  if (size == 0) return RC_BUFFER_TOO_SMALL;
  RegistryKey key;
  if (key.open(subKeyOf(keyPath_.view(), "GLOBAL_PROFILE").c_str(),
               platform::kKeyQueryValue | viewFlags_) != 0) {
    return RC_FAILED;
  }
  uint32_t capacity = size > UINT32_MAX ? UINT32_MAX : static_cast<uint32_t>(size);
  uint32_t rc = key.readText("KV7INSTDEF", buffer, capacity);
  if (rc == platform::kErrorMoreData) return RC_BUFFER_TOO_SMALL;
  return rc == 0 ? 0 : RC_FAILED;
}

uint32_t InstallCopy::GetInstanceProfilePath(char* buffer, size_t size) const {
  if (buffer == nullptr) return RC_MISSING_ARGUMENT;
  if (!name_.empty() && size > 0) {
    RegistryKey key;
    if (key.open(subKeyOf(keyPath_.view(), "GLOBAL_PROFILE").c_str(),
                 platform::kKeyQueryValue | viewFlags_) == 0) {
      uint32_t capacity = size > UINT32_MAX ? UINT32_MAX : static_cast<uint32_t>(size);
      if (key.readText("KV7INSTPROF", buffer, capacity) == 0) return 0;
    }
  }
  // Without a profile path of its own, the copy's instances live in its path.
  return copyTextOut(path_.view(), buffer, size);
}

namespace {

// The five OLE DB provider values, in the order they are read.
const char* const kOleDbValueNames[] = {"QORDAKV7", "QORDAKV7 Error Lookup", "QORDAKV7 Enumerator",
                                        "QORDAKV7 Advanced Page", "QORDAKV7 Connection Page"};
const char16_t* const kOleDbValueNamesW[] = {u"QORDAKV7", u"QORDAKV7 Error Lookup",
                                             u"QORDAKV7 Enumerator", u"QORDAKV7 Advanced Page",
                                             u"QORDAKV7 Connection Page"};
// A class id in braces and its terminator.
constexpr uint32_t kClassIdSize = 39;
// Windows ignores a trailing backslash in a key name; it is left out so that
// any registry source finds the key.
constexpr const char* kOleDbKey = "installData\\OLEDB";

uint32_t oleDbReadResult(uint32_t rc) {
  if (rc == platform::kErrorMoreData) return RC_BUFFER_TOO_SMALL;
  return rc == 0 ? 0 : RC_FAILED;
}

}  // namespace

uint32_t InstallCopy::GetOleDbProviderIds(char* provider, char* errorLookup, char* enumerator,
                                          char* advancedPage, char* connectionPage) const {
  char* const buffers[] = {provider, errorLookup, enumerator, advancedPage, connectionPage};
  if (name_.empty()) return RC_MISSING_ARGUMENT;
  for (char* buffer : buffers) {
    if (buffer == nullptr) return RC_MISSING_ARGUMENT;
  }
  RegistryKey key;
  if (key.open(subKeyOf(keyPath_.view(), kOleDbKey).c_str(), platform::kKeyQueryValue) != 0) {
    return RC_FAILED;
  }
  // Each read is given the size the read before it returned: the values are
  // class ids of one length.
  uint32_t size = kClassIdSize;
  for (int i = 0; i < 5; ++i) {
    if (size == 0) return RC_BUFFER_TOO_SMALL;
    uint32_t capacity = size;
    uint32_t rc =
        platform::regQueryValue(key.handle(), kOleDbValueNames[i], nullptr, buffers[i], &size);
    if (rc != 0) return oleDbReadResult(rc);
    buffers[i][size < capacity ? size : capacity - 1] = '\0';
  }
  return 0;
}

uint32_t InstallCopy::GetOleDbProviderIds(char16_t* provider, char16_t* errorLookup,
                                          char16_t* enumerator, char16_t* advancedPage,
                                          char16_t* connectionPage) const {
  char16_t* const buffers[] = {provider, errorLookup, enumerator, advancedPage, connectionPage};
  if (name_.empty()) return RC_MISSING_ARGUMENT;
  for (char16_t* buffer : buffers) {
    if (buffer == nullptr) return RC_MISSING_ARGUMENT;
  }
  RegistryKey key;
  if (key.open(subKeyOf(keyPath_.view(), kOleDbKey).c_str(), platform::kKeyQueryValue) != 0) {
    return RC_FAILED;
  }
  uint32_t size = kClassIdSize * sizeof(char16_t);
  for (int i = 0; i < 5; ++i) {
    if (size < sizeof(char16_t)) return RC_BUFFER_TOO_SMALL;
    uint32_t capacity = size / sizeof(char16_t);
    uint32_t rc =
        platform::regQueryValueW(key.handle(), kOleDbValueNamesW[i], nullptr, buffers[i], &size);
    if (rc != 0) return oleDbReadResult(rc);
    uint32_t written = size / sizeof(char16_t);
    buffers[i][written < capacity ? written : capacity - 1] = u'\0';
  }
  return 0;
}

uint32_t InstallCopy::GetInstances(InstanceList** out) {
  if (out == nullptr) return RC_MISSING_ARGUMENT;
  if (name_.empty()) return RC_FAILED;
  if (instances_ == nullptr) {
    instances_.reset(new (std::nothrow) InstanceList(this));
    if (instances_ == nullptr) return RC_NO_MEMORY;
  }
  if (instances_->failed()) return RC_FAILED;
  *out = instances_.get();
  return 0;
}

bool InstallCopy::HasInstance(const char* name) {
  InstanceList* instances = nullptr;
  return GetInstances(&instances) == 0 && instances->HasInstance(name);
}
