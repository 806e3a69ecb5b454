#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>

#include "base/fixed_text.h"
#include "installed/install_copy.h"
#include "installed/product_catalogue.h"

// A product's catalogue row, copied into the product's own record.
struct ProductInfo {
  FixedText<64> catalogueId;
  FixedText<64> shortId;
  FixedText<255> productCode;  // first generation, default view
  FixedText<255> productName;
  uint32_t productBits = 0;
  FixedText<255> productWord;
  uint32_t productClass = 0;
  uint8_t flag = 0;
  uint32_t productNumber = 0;
  // The package name of a current row; for a legacy row the product name
  // followed by ".msi".
  FixedText<255> packageFileName;
};

// One product found installed in a copy.
class InstalledProd {
 public:
  // Fills the record from the row of shortId in the table that fits the copy
  // (the legacy table for the legacy copy) and keeps at most 38 characters of
  // code. failed() when shortId is null or not in that table.
  InstalledProd(const char* shortId, InstallCopy* copy, const char* code);
  InstalledProd(const InstalledProd&) = delete;
  InstalledProd& operator=(const InstalledProd&) = delete;
  virtual ~InstalledProd();

  bool failed() const { return failed_ != 0; }
  InstallCopy* copy() const { return copy_; }
  const ProductInfo* info() const { return info_.get(); }

  // Texts of the record: RC_MISSING_ARGUMENT for a null buffer, RC_FAILED
  // without a record, RC_BUFFER_TOO_SMALL when the text does not fit.
  uint32_t GetCatalogueId(char* buffer, size_t size) const;
  uint32_t GetShortId(char* buffer, size_t size) const;
  uint32_t GetProductCode(char* buffer, size_t size) const;
  uint32_t GetProductName(char* buffer, size_t size) const;
  uint32_t GetProductWord(char* buffer, size_t size) const;
  uint32_t GetPackageFileName(char* buffer, size_t size) const;
  // Numbers of the record; 0 without a record.
  uint32_t GetProductBits() const;
  uint32_t GetProductClass() const;
  uint8_t GetFlag() const;
  uint32_t GetProductNumber() const;

  // The code the product was found under: RC_BUFFER_TOO_SMALL below 39
  // bytes, RC_FAILED when it is empty.
  uint32_t GetInstanceCode(char* buffer, size_t size) const;
  const char* instanceCode() const { return instanceCode_.c_str(); }
  // A copy of the whole record; RC_FAILED without a record.
  uint32_t GetProductInfo(ProductInfo* out) const;
  // Replaces the record with the row of another short id: 1 when it is in
  // the table, else 0 with the record unchanged.
  uint32_t LoadInfo(const char* shortId);

  // Windows Installer's "LocalPackage" of the instance code; RC_FAILED on any
  // error of the query.
  uint32_t GetLocalPackage(char* buffer, size_t size) const;
  // The version under the copy's key + "\<product name>\CurrentVersion".
  uint32_t GetProductVersion(std::unique_ptr<CopyVersion>* out) const;

 private:
  std::unique_ptr<ProductInfo> info_;
  InstallCopy* copy_;
  ProductCodeText instanceCode_;
  uint32_t failed_ = 0;
};
