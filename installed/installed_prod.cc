#include "installed/installed_prod.h"

#include <cstring>
#include <new>
#include <string_view>

#include "base/ascii.h"
#include "installed/result_codes.h"
#include "installed/text_out.h"
#include "installed/version_reader.h"
#include "platform/platform.h"

namespace {

// A catalogue text as a view; the legacy rows leave some columns null.
std::string_view column(const char* text) { return text != nullptr ? text : ""; }

// The record of a catalogue row, or null when the row's texts do not fit.
std::unique_ptr<ProductInfo> infoFromRow(const ProductRow& row, bool legacyRow) {
  std::unique_ptr<ProductInfo> info(new (std::nothrow) ProductInfo());
  if (info == nullptr) return nullptr;
  bool fits = info->catalogueId.assign(column(row.catalogueId)) &&
              info->shortId.assign(column(row.shortId)) &&
              info->productCode.assign(column(row.productCode)) &&
              info->productName.assign(column(row.productName)) &&
              info->productWord.assign(column(row.productWord));
  // Release 8 packages were named after their products.
  if (legacyRow) {
    fits = fits && info->packageFileName.assign(column(row.productName)) &&
           info->packageFileName.append(".msi");
  } else {
    fits = fits && info->packageFileName.assign(column(row.packageFileName));
  }
  if (!fits) return nullptr;
  info->productBits = static_cast<uint32_t>(row.productBits);
  info->productClass = row.classAndFlag.productClass;
  info->flag = row.classAndFlag.flag;
  info->productNumber = static_cast<uint32_t>(row.productNumber);
  return info;
}

// The row of shortId in the table that fits the copy, or null.
std::unique_ptr<ProductInfo> infoFor(const char* shortId, const InstallCopy* copy) {
  bool legacy = copy != nullptr && copy->IsLegacy();
  const ProductTable& table = legacy ? ProductCatalogue::legacy() : ProductCatalogue::current();
  const ProductRow* row = table.findByShortId(shortId);
  return row != nullptr ? infoFromRow(*row, legacy) : nullptr;
}

}  // namespace

InstalledProd::InstalledProd(const char* shortId, InstallCopy* copy, const char* code)
    : copy_(copy) {
  info_ = infoFor(shortId, copy);
  if (info_ == nullptr) failed_ = 1;
  if (code != nullptr) {
    instanceCode_.assign(std::string_view(code, strnlen(code, ProductCodeText::kMaxLength)));
  }
}

InstalledProd::~InstalledProd() = default;

namespace {

template <std::size_t N>
uint32_t infoText(const ProductInfo* info, const FixedText<N> ProductInfo::*field, char* buffer,
                  size_t size) {
  if (buffer == nullptr) return RC_MISSING_ARGUMENT;
  if (info == nullptr) return RC_FAILED;
  return copyTextOut((info->*field).view(), buffer, size);
}

}  // namespace

uint32_t InstalledProd::GetCatalogueId(char* buffer, size_t size) const {
  return infoText(info_.get(), &ProductInfo::catalogueId, buffer, size);
}

uint32_t InstalledProd::GetShortId(char* buffer, size_t size) const {
  return infoText(info_.get(), &ProductInfo::shortId, buffer, size);
}

uint32_t InstalledProd::GetProductCode(char* buffer, size_t size) const {
  return infoText(info_.get(), &ProductInfo::productCode, buffer, size);
}

uint32_t InstalledProd::GetProductName(char* buffer, size_t size) const {
  return infoText(info_.get(), &ProductInfo::productName, buffer, size);
}

uint32_t InstalledProd::GetProductWord(char* buffer, size_t size) const {
  return infoText(info_.get(), &ProductInfo::productWord, buffer, size);
}

uint32_t InstalledProd::GetPackageFileName(char* buffer, size_t size) const {
  return infoText(info_.get(), &ProductInfo::packageFileName, buffer, size);
}

uint32_t InstalledProd::GetProductBits() const { return info_ ? info_->productBits : 0; }

uint32_t InstalledProd::GetProductClass() const { return info_ ? info_->productClass : 0; }

uint8_t InstalledProd::GetFlag() const { return info_ ? info_->flag : 0; }

uint32_t InstalledProd::GetProductNumber() const { return info_ ? info_->productNumber : 0; }

uint32_t InstalledProd::GetInstanceCode(char* buffer, size_t size) const {
  if (buffer == nullptr) return RC_MISSING_ARGUMENT;
  if (size < kProductCodeSize) return RC_BUFFER_TOO_SMALL;
  if (instanceCode_.empty()) return RC_FAILED;
  return copyTextOut(instanceCode_.view(), buffer, size);
}

uint32_t InstalledProd::GetProductInfo(ProductInfo* out) const {
  if (out == nullptr) return RC_MISSING_ARGUMENT;
  if (info_ == nullptr) return RC_FAILED;
  *out = *info_;
  return 0;
}

uint32_t InstalledProd::LoadInfo(const char* shortId) {
  std::unique_ptr<ProductInfo> info = infoFor(shortId, copy_);
  if (info == nullptr) return 0;
  info_ = std::move(info);
  failed_ = 0;
  return 1;
}

uint32_t InstalledProd::GetLocalPackage(char* buffer, size_t size) const {
  if (buffer == nullptr) return RC_MISSING_ARGUMENT;
  if (size == 0) return RC_BUFFER_TOO_SMALL;
  uint32_t capacity = size > UINT32_MAX ? UINT32_MAX : static_cast<uint32_t>(size);
  uint32_t rc =
      platform::msiGetProductInfo(instanceCode_.c_str(), "LocalPackage", buffer, &capacity);
  return rc == 0 ? 0 : RC_FAILED;
}

uint32_t InstalledProd::GetProductVersion(std::unique_ptr<CopyVersion>* out) const {
  if (out == nullptr) return RC_MISSING_ARGUMENT;
  out->reset(new (std::nothrow) CopyVersion());
  if (*out == nullptr) return RC_NO_MEMORY;
  if (copy_ == nullptr || info_ == nullptr) return RC_FAILED;
  FixedText<512> keyName;
  bool fits = keyName.assign(copy_->keyPath()) && keyName.append('\\') &&
              keyName.append(info_->productName.view()) && keyName.append("\\CurrentVersion");
  if (!fits) return RC_FAILED;
  return readVersionKey(keyName.c_str(), platform::kKeyQueryValue, !copy_->IsLegacy(), out->get());
}
