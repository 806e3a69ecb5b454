// The product family's instance library, answered from the machine's
// registry: the instances are the subkeys of
// HKEY_LOCAL_MACHINE\SOFTWARE\QOR\<family>\Instances, each with the text
// values "Directory" and "Copy".
#include <algorithm>
#include <cstring>
#include <memory>
#include <mutex>
#include <string>
#include <unordered_set>
#include <vector>

#include "emulation/machine/code_page.h"
#include "emulation/machine/registry_view.h"
#include "platform/platform.h"

namespace platform {
namespace {

constexpr uint32_t kRcFailed = 0x90000002u;
constexpr uint32_t kRcMissingArgument = 0x9000000Cu;

struct InstanceRecord {
  std::string name;
  std::string directory;
  std::string copy;
};

// A list is a snapshot taken when it is opened.
struct InstanceListing {
  std::vector<InstanceRecord> records;
  std::size_t next = 0;
};

struct Listings {
  std::mutex mutex;
  std::unordered_set<InstanceListing*> open;
};

Listings& listings() {
  static Listings* all = new Listings;
  return *all;
}

std::string textValue(const emulated::RegistryKey& key, const char* name) {
  std::string utf8;
  const emulated::RegistryValue* value = key.findValue(name);
  if (value == nullptr || !emulated::valueAsText(*value, &utf8)) return "";
  return emulated::utf8ToAnsi(utf8);
}

// Copies text into the field [offset, end) of the record, cut so that its
// terminator stays inside the field.
void putField(unsigned char* record, std::size_t offset, std::size_t end, const std::string& text) {
  const std::size_t length = std::min(text.size(), end - offset - 1);
  std::memcpy(record + offset, text.data(), length);
  record[offset + length] = '\0';
}

}  // namespace

uint32_t ossOpenInstanceList(const char* family, InstanceListHandle* handle, bool /*flag*/) {
  if (family == nullptr || handle == nullptr) return kRcMissingArgument;
  auto listing = std::make_unique<InstanceListing>();
  emulated::OpenedKey instances;
  const std::string path = "SOFTWARE\\QOR\\" + emulated::ansiToUtf8(family) + "\\Instances";
  const uint32_t opened = emulated::openMachineKey(path, false, &instances);
  if (opened != kErrorSuccess && opened != kErrorFileNotFound) return kRcFailed;
  if (opened == kErrorSuccess) {
    for (const emulated::RegistryKey* instance : instances.key->subkeys()) {
      listing->records.push_back(InstanceRecord{emulated::utf8ToAnsi(instance->name()),
                                                textValue(*instance, "Directory"),
                                                textValue(*instance, "Copy")});
    }
  }
  Listings& all = listings();
  std::lock_guard<std::mutex> lock(all.mutex);
  all.open.insert(listing.get());
  *handle = listing.release();
  return 0;
}

uint32_t ossGetNextInstance(InstanceListHandle handle, void* info) {
  if (info == nullptr) return kRcMissingArgument;
  Listings& all = listings();
  std::lock_guard<std::mutex> lock(all.mutex);
  auto* listing = static_cast<InstanceListing*>(handle);
  if (all.open.count(listing) == 0) return kRcFailed;
  if (listing->next == listing->records.size()) return kOssNoMoreInstances;
  const InstanceRecord& record = listing->records[listing->next++];
  auto* bytes = static_cast<unsigned char*>(info);
  std::memset(bytes, 0, kOssInstanceInfoSize);
  putField(bytes, kOssInstanceNameOffset, kOssInstanceDirOffset, record.name);
  putField(bytes, kOssInstanceDirOffset, kOssInstanceCopyOffset, record.directory);
  putField(bytes, kOssInstanceCopyOffset, kOssInstanceInfoSize, record.copy);
  return 0;
}

uint32_t ossCloseInstanceList(InstanceListHandle handle) {
  Listings& all = listings();
  std::lock_guard<std::mutex> lock(all.mutex);
  auto* listing = static_cast<InstanceListing*>(handle);
  if (all.open.erase(listing) == 0) return kRcFailed;
  delete listing;
  return 0;
}

}  // namespace platform
