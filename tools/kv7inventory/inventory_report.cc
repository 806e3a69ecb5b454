#include "tools/kv7inventory/inventory_report.h"

#include <cinttypes>
#include <cstring>
#include <memory>

#include "installed/install_copy.h"
#include "installed/install_copy_list.h"
#include "installed/installed_prod_list.h"
#include "installed/product_catalogue.h"

namespace {

const char* generationName(uint32_t generation) {
  switch (generation) {
    case kGenerationNone:
      return "no product found";
    case kGenerationFirst:
      return "first generation";
    case kGenerationSecond:
      return "second generation";
    case kGenerationThird:
      return "third generation";
    case kGenerationLegacy:
      return "release 8";
    default:
      return "unknown";
  }
}

void writeVersion(std::FILE* out, const InstallCopy& copy) {
  std::unique_ptr<CopyVersion> version;
  uint32_t rc = copy.GetVersion(&version);
  if (version == nullptr) {
    std::fprintf(out, "  Version:            unreadable (error 0x%" PRIX32 ")\n", rc);
    return;
  }
  if (rc != 0) {
    // Setup goes on with a version it could read only in part: the values
    // read before the failure stay and the rest count as 0. They decide
    // between maintenance and reinstallation, so they are shown as setup
    // takes them.
    std::fprintf(out,
                 "  Version values:     incomplete (registry error %" PRIu32
                 "); setup takes those not read as 0\n",
                 rc);
  }
  std::fprintf(out, "  Version:            %" PRIu32 "\n", version->version);
  std::fprintf(out, "  Release:            %" PRIu32 "\n", version->release);
  std::fprintf(out, "  Modification:       %" PRIu32 "\n", version->modification);
  std::fprintf(out, "  Fix level:          %" PRIu32 "\n", version->fixLevel);
  std::fprintf(out, "  Service level:      %s\n", version->serviceLevel);
}

void writeProducts(std::FILE* out, InstallCopy* copy) {
  InstalledProdList* products = nullptr;
  if (copy->GetProducts(&products) != 0) {
    std::fprintf(out, "  Product generation: %" PRIu32 "\n", copy->GetProductGeneration());
    std::fprintf(out, "  Products:           unreadable\n");
    return;
  }
  // The generation is known only once the products list is built.
  uint32_t generation = copy->GetProductGeneration();
  std::fprintf(out, "  Product generation: 0x%" PRIX32 " (%s)\n", generation,
               generationName(generation));
  std::fprintf(out, "  Products:           %" PRIu32 "\n", products->count());
  InstalledProd* product = products->First();
  for (uint32_t i = 0; i < products->count() && product != nullptr; ++i) {
    const ProductInfo* info = product->info();
    std::fprintf(out, "    %-12s %-10s %s\n", info->catalogueId.c_str(), info->shortId.c_str(),
                 product->instanceCode()[0] != '\0' ? product->instanceCode() : "(no code)");
    product = products->Next();
  }
}

void writeCopy(std::FILE* out, InstallCopy* copy, uint32_t number, uint32_t total) {
  std::fprintf(out, "\nCopy %" PRIu32 " of %" PRIu32 ": %s\n", number, total, copy->name());
  std::fprintf(out, "  Path:               %s\n", copy->path());
  std::fprintf(out, "  Legacy copy:        %s\n", copy->IsLegacy() ? "yes" : "no");
  writeVersion(out, *copy);
  writeProducts(out, copy);
}

}  // namespace

uint32_t writeInventory(std::FILE* out, bool use32BitView) {
  InstallCopyList copies(use32BitView);
  std::fprintf(out, "Installed copies (%s registry view): %" PRIu32 "\n",
               use32BitView ? "32-bit" : "default", copies.count());

  InstallCopy* copy = copies.First();
  for (uint32_t i = 0; i < copies.count() && copy != nullptr; ++i) {
    writeCopy(out, copy, i + 1, copies.count());
    copy = copies.Next();
  }

  std::fprintf(out, "\nSkipped invalid copies: %" PRIu32 "\n", copies.skippedCount());
  for (uint32_t i = 0; i < copies.skippedCount(); ++i) {
    std::fprintf(out, "  %s\n", copies.skippedName(i));
  }
  if (!copies.failed()) return kInventoryComplete;
  std::fprintf(out, "\nThe list of copies is incomplete: %s\n",
               copies.count() == 0 && copies.skippedCount() == 1 &&
                       std::strcmp(copies.skippedName(0), kLegacyCopyName) == 0
                   ? "the legacy copy could not be read, so setup sees no copy at all."
                   : "the registry could not be enumerated completely.");
  return kInventoryIncomplete;
}
