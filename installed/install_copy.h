#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>

#include "base/fixed_text.h"

class InstalledProdList;
class InstanceList;

// The version of a copy or of a product, read from its "CurrentVersion" key.
struct CopyVersion {
  uint32_t version;
  uint32_t release;
  uint32_t modification;
  uint32_t fixLevel;  // always 0 for the legacy copy
  char serviceLevel[64];
};

// The name under which the one legacy copy of release 8 is listed.
constexpr const char* kLegacyCopyName = "KV7V8";
// Registry keys of the product family, relative to HKEY_LOCAL_MACHINE.
constexpr const char* kFamilyKey = "SOFTWARE\\QOR\\KV7";
constexpr const char* kInstalledCopiesKey = "SOFTWARE\\QOR\\KV7\\InstalledCopies";

// Copy status: why a copy could not be read.
constexpr uint32_t kCopyValid = 0;
constexpr uint32_t kCopyUnreadable = 1;         // name too long, or key or "KV7 Path Name" missing
constexpr uint32_t kCopyComponentsMissing = 2;  // 32-bit view only

// One installed copy of the product family, read from the registry. The copy
// owns its products and instances lists, built on first request.
class InstallCopy {
 public:
  // Reads the copy of that name. A null or empty name gives an empty copy
  // with status 0; a name longer than 64 characters gives an empty copy
  // with status kCopyUnreadable.
  InstallCopy(const char* name, bool use32BitView);
  InstallCopy(const InstallCopy&) = delete;
  InstallCopy& operator=(const InstallCopy&) = delete;
  virtual ~InstallCopy();

  // Texts into caller buffers: RC_MISSING_ARGUMENT for a null buffer,
  // RC_BUFFER_TOO_SMALL when size cannot hold the text and its terminator.
  uint32_t GetName(char* buffer, size_t size) const;
  uint32_t GetPath(char* buffer, size_t size) const;
  uint32_t GetKeyPath(char* buffer, size_t size) const;
  // The 8.3 form of the path; RC_FAILED when it has none.
  uint32_t GetShortPath(char* buffer, size_t size) const;

  bool IsLegacy() const { return isLegacy_; }
  bool HasUsers() const { return hasUsers_; }
  uint32_t GetViewFlags() const { return viewFlags_; }
  uint32_t status() const { return status_; }

  // Allocates the record, hands it to *out, then fills it. 0, RC_NO_MEMORY,
  // RC_MISSING_ARGUMENT for a null out, or the registry's error code of the
  // open or of the first read that failed (the fields read before it stay).
  uint32_t GetVersion(std::unique_ptr<CopyVersion>* out) const;

  // The copy's products, built on the first call and owned by the copy.
  uint32_t GetProducts(InstalledProdList** out);
  // Generation code of the last product found while the products list was
  // built (see product_catalogue.h); 0 before that or when none was found.
  uint32_t GetProductGeneration() const { return productGeneration_; }
  void SetProductGeneration(uint32_t generation) { productGeneration_ = generation; }

  // Product queries through GetProducts; each answers false or 0 when the
  // products list cannot be obtained.
  bool HasProduct(const char* catalogueId);
  bool HasProductShortId(const char* shortId);
  uint32_t ProductCount();
  uint32_t DistinctProductCount();
  uint32_t ProductClassCount(uint32_t productClass);  // classes 0 to 3

  // Registry tests; false when the name is empty or the value is unreadable.
  bool IsClientInterfaceOnlyCopy() const;
  bool IsMergeModuleCopy() const;
  bool IsDefaultClientInterfaceCopy() const;
  bool IsDefaultCopy() const;  // always true for the legacy copy

  // "KV7INSTDEF" of the copy's "GLOBAL_PROFILE" key, read with the caller's
  // size.
  uint32_t GetInstanceDefault(char* buffer, size_t size) const;
  // "KV7INSTPROF" of the same key, or the copy's path when it cannot be read.
  uint32_t GetInstanceProfilePath(char* buffer, size_t size) const;

  // The five OLE DB provider class ids of the copy's "installData\OLEDB" key,
  // each into a caller buffer of at least 39 bytes (78 bytes in the 16-bit
  // form), read in order and stopping at the first failure.
  uint32_t GetOleDbProviderIds(char* provider, char* errorLookup, char* enumerator,
                               char* advancedPage, char* connectionPage) const;
  uint32_t GetOleDbProviderIds(char16_t* provider, char16_t* errorLookup, char16_t* enumerator,
                               char16_t* advancedPage, char16_t* connectionPage) const;

  // The copy's instances, built on the first call and owned by the copy.
  uint32_t GetInstances(InstanceList** out);
  bool HasInstance(const char* name);

  // The copy's fields as texts, for callers inside the subsystem.
  const char* name() const { return name_.c_str(); }
  const char* path() const { return path_.c_str(); }
  const char* keyPath() const { return keyPath_.c_str(); }

 private:
  void read();
  bool readYesValue(const char* valueName) const;
  bool defaultsValueEquals(const char* valueName) const;

  CopyNameText name_;
  FixedText<256> path_;
  FixedText<256> keyPath_;
  bool isLegacy_ = false;
  bool hasUsers_ = false;
  uint32_t viewFlags_ = 0;
  std::unique_ptr<InstalledProdList> products_;
  std::unique_ptr<InstanceList> instances_;
  uint32_t status_ = kCopyValid;
  uint32_t productGeneration_ = 0;
};
