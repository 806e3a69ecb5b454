#include "tools/kv7inventory/inventory_json.h"

#include <cstring>
#include <memory>
#include <nlohmann/json.hpp>
#include <string>

#include "installed/install_copy.h"
#include "installed/install_copy_list.h"
#include "installed/installed_prod_list.h"
#include "installed/instance_list.h"
#include "platform/platform.h"
#include "tools/kv7inventory/inventory_report.h"

namespace {

// Keeps the fields in the order they are written, as the README lists them.
using Json = nlohmann::ordered_json;

// Registry texts are in the system's ANSI code page; JSON texts are Unicode.
std::string unicodeText(const char* ansi) {
  if (ansi == nullptr) return "";
  std::string utf8(std::strlen(ansi) * 3 + 1, '\0');
  uint32_t length = platform::ansiToUtf8(ansi, utf8.data(), static_cast<uint32_t>(utf8.size()));
  if (length >= utf8.size()) return "";  // cannot happen: three bytes per byte always fit
  utf8.resize(length);
  return utf8;
}

constexpr int kInstallStateAdvertised = 1;
constexpr int kInstallStateAbsent = 2;  // for a product: installed for another user

// Windows Installer's INSTALLSTATE of a product code, as a word.
const char* installStateName(int state) {
  switch (state) {
    case platform::kInstallStateDefault:
      return "installed";
    case kInstallStateAdvertised:
      return "advertised";
    case kInstallStateAbsent:
      return "absent";
    case platform::kInstallStateUnknown:
      return "unknown";
  }
  return "other";
}

Json versionOf(const InstallCopy& copy) {
  std::unique_ptr<CopyVersion> version;
  uint32_t rc = copy.GetVersion(&version);
  if (version == nullptr) return nullptr;
  // A version read in part is what setup goes on with: the values not read
  // count as 0, and readError says which registry error stopped the reading.
  return Json{{"version", version->version},
              {"release", version->release},
              {"modification", version->modification},
              {"fixLevel", version->fixLevel},
              {"serviceLevel", unicodeText(version->serviceLevel)},
              {"readError", rc}};
}

Json productsOf(InstallCopy* copy) {
  InstalledProdList* products = nullptr;
  if (copy->GetProducts(&products) != 0) return nullptr;
  Json list = Json::array();
  InstalledProd* product = products->First();
  for (uint32_t i = 0; i < products->count() && product != nullptr; ++i) {
    const ProductInfo* info = product->info();
    const char* code = product->instanceCode();
    Json entry{{"name", unicodeText(info->productName.c_str())},
               {"catalogueId", unicodeText(info->catalogueId.c_str())},
               {"shortId", unicodeText(info->shortId.c_str())},
               {"productCode", unicodeText(code)}};
    if (code[0] != '\0') {
      int state = platform::msiQueryProductState(code);
      entry["state"] = installStateName(state);
      entry["installState"] = state;
    } else {
      entry["state"] = nullptr;
      entry["installState"] = nullptr;
    }
    list.push_back(std::move(entry));
    product = products->Next();
  }
  return list;
}

// The instances that the family's instance library lists for the copy, and
// the library's error code (0 when it listed them all).
void addInstances(Json& entry, InstallCopy* copy) {
  InstanceList instances(copy);
  Json list = Json::array();
  IKV7INSTANCE* instance = instances.First();
  for (uint32_t i = 0; i < instances.count() && instance != nullptr; ++i) {
    list.push_back(
        {{"name", unicodeText(instance->name())}, {"directory", unicodeText(instance->path())}});
    instance = instances.Next();
  }
  entry["instances"] = std::move(list);
  entry["instancesError"] = instances.error();
}

Json copyOf(InstallCopy* copy) {
  Json entry{{"name", unicodeText(copy->name())},
             {"path", unicodeText(copy->path())},
             {"legacy", copy->IsLegacy()},
             {"version", versionOf(*copy)}};
  Json products = productsOf(copy);
  // The generation is known only once the products list is built.
  entry["productGeneration"] = copy->GetProductGeneration();
  entry["products"] = std::move(products);
  addInstances(entry, copy);
  return entry;
}

Json skippedEntry(const InstallCopyList& copies, uint32_t index) {
  const char* name = copies.skippedName(index);
  const char* reason = "unreadable";
  const char* description = "the copy's registry key or its \"KV7 Path Name\" value cannot be read";
  if (copies.skippedStatus(index) == kCopyComponentsMissing) {
    reason = "componentsMissing";
    description = "the copy has no \"Components\" key in the 32-bit registry view";
  } else if (std::strcmp(name, kLegacyCopyName) == 0) {
    reason = "legacyUnreadable";
    description =
        "the legacy copy's \"KV7 Path Name\" under SOFTWARE\\QOR\\KV7 cannot be read, so setup "
        "sees no copy at all";
  }
  return Json{{"name", unicodeText(name)}, {"reason", reason}, {"description", description}};
}

}  // namespace

uint32_t writeInventoryJson(std::FILE* out, bool use32BitView) {
  InstallCopyList copies(use32BitView);
  Json document{{"schemaVersion", kInventorySchemaVersion},
                {"registryView", use32BitView ? "32-bit" : "default"},
                {"complete", !copies.failed()},
                {"copies", Json::array()},
                {"skipped", Json::array()}};
  InstallCopy* copy = copies.First();
  for (uint32_t i = 0; i < copies.count() && copy != nullptr; ++i) {
    document["copies"].push_back(copyOf(copy));
    copy = copies.Next();
  }
  for (uint32_t i = 0; i < copies.skippedCount(); ++i) {
    document["skipped"].push_back(skippedEntry(copies, i));
  }
  std::string text = document.dump(2, ' ', /*ensure_ascii=*/true) + "\n";
  std::fwrite(text.data(), 1, text.size(), out);
  return copies.failed() ? kInventoryIncomplete : kInventoryComplete;
}
