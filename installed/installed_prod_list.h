#pragma once

#include <cstddef>
#include <cstdint>

#include "installed/inode_chain.h"
#include "installed/install_copy.h"
#include "installed/installed_prod.h"

// The products found installed in one copy, in catalogue order. Built
// completely by the constructor and never refreshed; owns its products.
// Building it records the copy's product generation.
class InstalledProdList {
 public:
  explicit InstalledProdList(InstallCopy* copy);
  InstalledProdList(const InstalledProdList&) = delete;
  InstalledProdList& operator=(const InstalledProdList&) = delete;
  virtual ~InstalledProdList();

  uint32_t count() const { return chain_.count; }
  InstalledProd* First() { return chain_.First(); }
  InstalledProd* Next() { return chain_.Next(); }

  bool HasProduct(const char* catalogueId);
  bool HasProductShortId(const char* shortId);
  // The code under which the product of shortId was found ("mre" asks for
  // "mre2"): RC_NOT_FOUND when no product has that short id,
  // RC_MISSING_ARGUMENT for a null buffer, RC_BUFFER_TOO_SMALL below 39
  // bytes, RC_FAILED when the code is empty.
  uint32_t GetInstanceProductCode(const char* shortId, char* buffer, size_t size);

  // Number of distinct catalogue ids among the products.
  uint32_t DistinctCatalogueIdCount();
  // Number of products of that product class.
  uint32_t ClassCount(uint32_t productClass);

  InstallCopy* copy() const { return copy_; }
  bool failed() const { return failed_ != 0; }

 private:
  void buildCurrent();
  void buildLegacy();
  bool add(const char* shortId, const char* code);

  InodeChain<InstalledProd> chain_;
  InstallCopy* copy_;
  uint32_t failed_ = 0;
};
