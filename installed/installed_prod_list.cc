#include "installed/installed_prod_list.h"

#include <cstring>
#include <memory>
#include <new>

#include "base/ascii.h"
#include "installed/result_codes.h"

InstalledProdList::InstalledProdList(InstallCopy* copy) : copy_(copy) {
  if (copy_ == nullptr) return;
  if (copy_->IsLegacy()) {
    buildLegacy();
  } else {
    buildCurrent();
  }
}

InstalledProdList::~InstalledProdList() = default;

bool InstalledProdList::add(const char* shortId, const char* code) {
  std::unique_ptr<InstalledProd> product(new (std::nothrow) InstalledProd(shortId, copy_, code));
  if (product == nullptr || product->failed()) return false;
  return chain_.append(std::move(product));
}

void InstalledProdList::buildCurrent() {
  const bool use32BitView = copy_->GetViewFlags() != 0;
  for (const ProductRow& row : ProductCatalogue::current()) {
    char code[kProductCodeSize] = "";
    uint32_t generation =
        FindInstalledProductCode(row.shortId, copy_->path(), code, false, use32BitView);
    // The copy ends with the generation of the last product found.
    if (generation != kGenerationNone && add(row.shortId, code)) {
      copy_->SetProductGeneration(generation);
    }
  }
}

void InstalledProdList::buildLegacy() {
  // Some release 8 editions shipped as several packages; each edition counts
  // once, by its first package found.
  bool mirrorEngineTaken = false;
  bool bridgeEditionTaken = false;
  for (const ProductRow& row : ProductCatalogue::legacy()) {
    char code[kProductCodeSize] = "";
    if (FindInstalledProductCode(row.shortId, copy_->path(), code, true, false) !=
        kGenerationLegacy) {
      continue;
    }
    if (std::strcmp(row.catalogueId, "PROD_MRE") == 0) {
      if (mirrorEngineTaken) continue;
      mirrorEngineTaken = true;
    }
    if (std::strcmp(row.catalogueId, "PROD_TBE") == 0) {
      if (bridgeEditionTaken) continue;
      bridgeEditionTaken = true;
    }
    add(row.shortId, code);
  }
}

bool InstalledProdList::HasProduct(const char* catalogueId) {
  if (catalogueId == nullptr) return false;
  return chain_.search([catalogueId](const InstalledProd* product) {
    return product->info() != nullptr &&
           ascii::equalsNoCase(product->info()->catalogueId.view(), catalogueId);
  }) != nullptr;
}

bool InstalledProdList::HasProductShortId(const char* shortId) {
  if (shortId == nullptr) return false;
  return chain_.search([shortId](const InstalledProd* product) {
    return product->info() != nullptr &&
           ascii::equalsNoCase(product->info()->shortId.view(), shortId);
  }) != nullptr;
}

uint32_t InstalledProdList::GetInstanceProductCode(const char* shortId, char* buffer, size_t size) {
  if (shortId == nullptr) return RC_NOT_FOUND;
  // The mirror engine of this release is listed under its second package.
  if (ascii::equalsNoCase(shortId, "mre")) shortId = "mre2";
  InstalledProd* found = chain_.search([shortId](const InstalledProd* product) {
    return product->info() != nullptr &&
           ascii::equalsNoCase(product->info()->shortId.view(), shortId);
  });
  if (found == nullptr) return RC_NOT_FOUND;
  return found->GetInstanceCode(buffer, size);
}

uint32_t InstalledProdList::DistinctCatalogueIdCount() {
  uint32_t distinct = 0;
  for (INODE<InstalledProd>* node = chain_.head; node != nullptr; node = node->next) {
    const ProductInfo* info = node->data->info();
    if (info == nullptr) continue;
    bool seenBefore = false;
    for (INODE<InstalledProd>* earlier = chain_.head; earlier != node; earlier = earlier->next) {
      const ProductInfo* earlierInfo = earlier->data->info();
      if (earlierInfo != nullptr &&
          ascii::equalsNoCase(earlierInfo->catalogueId.view(), info->catalogueId.view())) {
        seenBefore = true;
        break;
      }
    }
    if (!seenBefore) ++distinct;
  }
  return distinct;
}

uint32_t InstalledProdList::ClassCount(uint32_t productClass) {
  uint32_t matching = 0;
  for (INODE<InstalledProd>* node = chain_.head; node != nullptr; node = node->next) {
    if (node->data->GetProductClass() == productClass && node->data->info() != nullptr) {
      ++matching;
    }
  }
  return matching;
}
