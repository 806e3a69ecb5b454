#include "installed/instance_list.h"

#include <array>
#include <cstring>
#include <memory>
#include <new>
#include <string_view>

#include "base/ascii.h"
#include "installed/install_copy.h"
#include "installed/result_codes.h"
#include "platform/platform.h"

namespace {

// The family's name for the instance library.
constexpr const char* kFamily = "KV7";

using InstanceRecord = std::array<char, platform::kOssInstanceInfoSize>;

// A text field of the library's record, which ends at the next field at the
// latest.
std::string_view recordField(const InstanceRecord& record, std::size_t offset, std::size_t end) {
  const char* start = record.data() + offset;
  return std::string_view(start, strnlen(start, end - offset));
}

}  // namespace

InstanceList::InstanceList(InstallCopy* copy) : copy_(copy) {
  error_ = enumerate();
  if (error_ != 0) failed_ = 1;
}

InstanceList::~InstanceList() = default;

uint32_t InstanceList::enumerate() {
  CopyNameText copyName;
  if (copy_ != nullptr) copyName.assign(copy_->name());
  const bool legacy = ascii::equalsNoCase(copyName.view(), kLegacyCopyName);

  platform::InstanceListHandle handle = nullptr;
  uint32_t rc = platform::ossOpenInstanceList(kFamily, &handle, false);
  if (rc != 0) return rc;

  auto record = std::make_unique<InstanceRecord>();
  record->fill('\0');
  while ((rc = platform::ossGetNextInstance(handle, record->data())) == 0) {
    std::string_view owner =
        recordField(*record, platform::kOssInstanceCopyOffset, platform::kOssInstanceInfoSize);
    // Instances of the legacy copy carry no copy name.
    bool ours = owner.empty() ? legacy : ascii::equalsNoCase(owner, copyName.view());
    if (ours) {
      FixedText<platform::kOssInstanceDirOffset> name;
      FixedText<platform::kOssInstanceInfoSize> directory;
      name.assign(
          recordField(*record, platform::kOssInstanceNameOffset, platform::kOssInstanceDirOffset));
      directory.assign(
          recordField(*record, platform::kOssInstanceDirOffset, platform::kOssInstanceCopyOffset));
      std::unique_ptr<IKV7INSTANCE> instance(
          new (std::nothrow) IKV7INSTANCE(name.c_str(), copy_, directory.c_str()));
      if (instance != nullptr) chain_.append(std::move(instance));
    }
    record->fill('\0');
  }
  platform::ossCloseInstanceList(handle);
  return rc == platform::kOssNoMoreInstances ? 0 : rc;
}

uint32_t InstanceList::FindInstance(const char* name, IKV7INSTANCE** out) {
  if (out == nullptr) return RC_MISSING_ARGUMENT;
  if (name == nullptr) return RC_NOT_FOUND;
  IKV7INSTANCE* found = chain_.search(
      [name](const IKV7INSTANCE* instance) { return ascii::equalsNoCase(instance->name(), name); });
  if (found == nullptr) return RC_NOT_FOUND;
  *out = found;
  return 0;
}

bool InstanceList::HasInstance(const char* name) {
  IKV7INSTANCE* found = nullptr;
  return FindInstance(name, &found) == 0;
}
