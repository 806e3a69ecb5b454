#include "installed/install_copy_list.h"

#include <memory>
#include <new>

#include "base/ascii.h"
#include "installed/decimal_value.h"
#include "installed/registry_key.h"
#include "installed/result_codes.h"
#include "platform/platform.h"

namespace {

constexpr const char* kFamilyVersionKey = "SOFTWARE\\QOR\\KV7\\CurrentVersion";
constexpr uint32_t kLegacyVersion = 8;
// Subkey names are at most 255 characters.
constexpr uint32_t kSubKeyNameSize = 256;

// A path in the 8.3 form that both spellings of a directory share.
using ShortPath = FixedText<261>;

// The short form of path without one trailing backslash; false when the path
// is too long or has no short form (for instance because it does not exist).
bool shortFormOf(std::string_view path, ShortPath* out) {
  FixedText<261> longPath;
  if (!longPath.assign(path)) return false;
  if (longPath.back() == '\\') longPath.truncate(longPath.size() - 1);
  uint32_t length = platform::getShortPathName(longPath.c_str(), out->data(), ShortPath::kCapacity);
  if (length == 0 || length >= ShortPath::kCapacity) return false;
  out->syncLength();
  return true;
}

}  // namespace

InstallCopyList::InstallCopyList(bool use32BitView)
    : viewFlags_(use32BitView ? platform::kKeyWow64_32Key : 0) {
  enumerate();
}

InstallCopyList::~InstallCopyList() = default;

bool InstallCopyList::appendCopy(const char* name) {
  std::unique_ptr<InstallCopy> copy(new (std::nothrow) InstallCopy(name, viewFlags_ != 0));
  if (copy == nullptr) {
    failed_ = 1;
    return false;
  }
  if (copy->status() != kCopyValid) {
    // A copy that could not be read is released; only its name is kept.
    platform::outputDebugString("Invalid Installation Name");
    platform::outputDebugString(name);
    FixedText<256> skipped;
    skipped.assign(name);
    skipped_.push_back(skipped);
    skippedStatus_.push_back(copy->status());
    return false;
  }
  if (!chain_.append(std::move(copy))) {
    failed_ = 1;
    return false;
  }
  return true;
}

void InstallCopyList::enumerate() {
  bool hasLegacyCopy = false;
  {
    RegistryKey key;
    if (key.open(kFamilyVersionKey, platform::kKeyQueryValue | viewFlags_) == 0) {
      FixedText<256> version;
      hasLegacyCopy = key.readText("Version", &version) == 0 &&
                      leadingDecimal(version.c_str()) == kLegacyVersion;
    }
  }

  if (hasLegacyCopy) {
    // The legacy copy is looked at before anything else: when it cannot be
    // read, the machine's state is unclear and no copy is listed at all.
    std::unique_ptr<InstallCopy> legacy(new (std::nothrow)
                                            InstallCopy(kLegacyCopyName, viewFlags_ != 0));
    if (legacy == nullptr || legacy->status() != kCopyValid) {
      failed_ = 1;
      FixedText<256> skipped;
      skipped.assign(kLegacyCopyName);
      skipped_.push_back(skipped);
      skippedStatus_.push_back(legacy != nullptr ? legacy->status() : kCopyUnreadable);
      return;
    }
    InstallCopy* added = legacy.get();
    if (!chain_.append(std::move(legacy))) {
      failed_ = 1;
      return;
    }
    legacyCopy_ = added;
  }

  RegistryKey copies;
  if (copies.open(kInstalledCopiesKey,
                  platform::kKeyQueryValue | platform::kKeyEnumerateSubKeys | viewFlags_) != 0) {
    return;  // no multi-copy installation on this machine
  }
  char name[kSubKeyNameSize];
  for (uint32_t index = 0;; ++index) {
    uint32_t nameSize = kSubKeyNameSize;
    uint32_t rc = platform::regEnumKey(copies.handle(), index, name, &nameSize);
    if (rc == platform::kErrorNoMoreItems) break;
    if (rc != platform::kErrorSuccess) {
      failed_ = 1;
      break;
    }
    name[nameSize < kSubKeyNameSize ? nameSize : kSubKeyNameSize - 1] = '\0';
    appendCopy(name);
  }
}

const char* InstallCopyList::skippedName(uint32_t index) const {
  return index < skipped_.size() ? skipped_[index].c_str() : nullptr;
}

uint32_t InstallCopyList::skippedStatus(uint32_t index) const {
  return index < skippedStatus_.size() ? skippedStatus_[index] : kCopyValid;
}

bool InstallCopyList::CopyExists(const char* name) {
  if (name == nullptr) return false;
  return chain_.search([name](const InstallCopy* copy) {
    return ascii::equalsNoCase(copy->name(), name);
  }) != nullptr;
}

uint32_t InstallCopyList::FindCopy(const char* name, InstallCopy** out) {
  if (out == nullptr) return RC_MISSING_ARGUMENT;
  if (name == nullptr) return RC_NOT_FOUND;
  InstallCopy* found = chain_.search(
      [name](const InstallCopy* copy) { return ascii::equalsNoCase(copy->name(), name); });
  if (found == nullptr) return RC_NOT_FOUND;
  *out = found;
  return 0;
}

uint32_t InstallCopyList::FindCopyByPath(const char* path, InstallCopy** out) {
  if (out == nullptr || path == nullptr) return RC_MISSING_ARGUMENT;
  ShortPath wanted;
  if (!shortFormOf(path, &wanted)) return RC_FAILED;
  InstallCopy* found = chain_.search([&wanted](const InstallCopy* copy) {
    ShortPath candidate;
    return shortFormOf(copy->path(), &candidate) &&
           ascii::equalsNoCase(candidate.view(), wanted.view());
  });
  if (found == nullptr) return RC_NOT_FOUND;
  *out = found;
  return 0;
}

bool InstallCopyList::ContainsCopy(const InstallCopy* copy) {
  if (copy == nullptr) return false;
  return chain_.search([copy](const InstallCopy* listed) {
    return ascii::equalsNoCase(listed->name(), copy->name());
  }) != nullptr;
}

uint32_t InstallCopyList::FindDefaultClientInterfaceCopy(InstallCopy** out) {
  if (out == nullptr) return RC_MISSING_ARGUMENT;
  InstallCopy* found =
      chain_.search([](const InstallCopy* copy) { return copy->IsDefaultClientInterfaceCopy(); });
  if (found == nullptr) return RC_NOT_FOUND;
  *out = found;
  return 0;
}

uint32_t InstallCopyList::FindDefaultCopy(InstallCopy** out) {
  if (out == nullptr) return RC_MISSING_ARGUMENT;
  InstallCopy* found = chain_.search([](const InstallCopy* copy) { return copy->IsDefaultCopy(); });
  if (found == nullptr) return RC_NOT_FOUND;
  *out = found;
  return 0;
}
