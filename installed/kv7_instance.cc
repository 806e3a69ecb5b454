#include "installed/kv7_instance.h"

#include <cstdio>
#include <cstring>
#include <string>
#include <string_view>

#include "installed/install_copy.h"
#include "installed/registry_key.h"
#include "installed/result_codes.h"
#include "installed/text_out.h"
#include "platform/platform.h"

namespace {

// The profile key is opened for reading and value setting, as the family's
// own tools open it.
constexpr uint32_t kProfileAccess = platform::kKeyRead | platform::kKeySetValue;
constexpr std::size_t kSystemFileValueOffset = 40;

// At most max characters of text (null gives an empty view).
std::string_view cut(const char* text, std::size_t max) {
  return text != nullptr ? std::string_view(text, strnlen(text, max)) : std::string_view();
}

}  // namespace

IKV7INSTANCE::IKV7INSTANCE(const char* name, InstallCopy* copy, const char* directory)
    : copy_(copy) {
  name_.assign(cut(name, decltype(name_)::kMaxLength));
  path_.assign(cut(directory, decltype(path_)::kMaxLength));
  loadSystemFile(path_.c_str());
  if (copy_ != nullptr) readProfile();
}

IKV7INSTANCE::~IKV7INSTANCE() = default;

bool IKV7INSTANCE::loadSystemFile(const char* directory) {
  std::string fileName(directory);
  fileName += "\\kv7systm";
  // Opened for update as the family's tools open it; nothing is written.
  std::FILE* file = platform::openFile(fileName.c_str(), "rb+");
  if (file == nullptr) return false;
  std::fread(systemFile_.data(), 1, systemFile_.size(), file);
  std::fclose(file);
  return true;
}

void IKV7INSTANCE::readProfile() {
  FixedText<512> keyName;
  bool fits = copy_->IsLegacy()
                  ? keyName.assign("SOFTWARE\\QOR\\KV7\\PROFILES\\")
                  : keyName.assign(kInstalledCopiesKey) && keyName.append('\\') &&
                        keyName.append(copy_->name()) && keyName.append("\\PROFILES\\");
  fits = fits && keyName.append(name_.view());
  if (!fits) return;
  RegistryKey key;
  if (key.open(keyName.c_str(), kProfileAccess) != 0) return;
  isCluster_ = key.readText("KV7CLUSTER", &cluster_) == 0;
}

uint32_t IKV7INSTANCE::GetName(char* buffer, size_t size) const {
  return copyTextOut(name_.view(), buffer, size);
}

uint32_t IKV7INSTANCE::GetPath(char* buffer, size_t size) const {
  return copyTextOut(path_.view(), buffer, size);
}

uint32_t IKV7INSTANCE::GetParentPath(char* buffer, size_t size) const {
  if (buffer == nullptr) return RC_MISSING_ARGUMENT;
  std::string_view directory = path_.view();
  std::size_t backslash = directory.rfind('\\');
  if (backslash == std::string_view::npos) return RC_FAILED;
  return copyTextOut(directory.substr(0, backslash), buffer, size);
}

uint32_t IKV7INSTANCE::GetCluster(char* buffer, size_t size) const {
  return copyTextOut(cluster_.view(), buffer, size);
}

uint32_t IKV7INSTANCE::GetCopyName(char* buffer, size_t size) const {
  if (buffer == nullptr) return RC_MISSING_ARGUMENT;
  if (copy_ == nullptr) return RC_FAILED;
  return copy_->GetName(buffer, size);
}

uint16_t IKV7INSTANCE::GetSystemFileValue() const {
  return static_cast<uint16_t>(systemFile_[kSystemFileValueOffset] |
                               (systemFile_[kSystemFileValueOffset + 1] << 8));
}

uint32_t IKV7INSTANCE::CopySystemFile(uint8_t* out) const {
  if (out == nullptr) return RC_MISSING_ARGUMENT;
  std::memcpy(out, systemFile_.data(), systemFile_.size());
  return 0;
}

uint32_t IKV7INSTANCE::ReloadSystemFile(const char* directory) {
  return loadSystemFile(directory != nullptr ? directory : path_.c_str()) ? 0 : RC_MISSING_ARGUMENT;
}
