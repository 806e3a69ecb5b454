#pragma once

#include <cstdint>
#include <vector>

#include "base/fixed_text.h"
#include "installed/inode_chain.h"
#include "installed/install_copy.h"

// Every installed copy of the product family, read once by the constructor:
// the legacy copy first (when the machine has one), then the subkeys of
// "InstalledCopies" in enumeration order. The list owns its copies.
class InstallCopyList {
 public:
  explicit InstallCopyList(bool use32BitView);
  InstallCopyList(const InstallCopyList&) = delete;
  InstallCopyList& operator=(const InstallCopyList&) = delete;
  virtual ~InstallCopyList();

  uint32_t count() const { return chain_.count; }
  // Iteration shared with the callers; bound loops by count().
  InstallCopy* First() { return chain_.First(); }
  InstallCopy* Next() { return chain_.Next(); }

  // Searches walk from the head and leave the caller's iteration where it was.
  bool CopyExists(const char* name);
  uint32_t FindCopy(const char* name, InstallCopy** out);
  // Compares 8.3 forms, so either spelling of the directory finds the copy.
  uint32_t FindCopyByPath(const char* path, InstallCopy** out);
  bool ContainsCopy(const InstallCopy* copy);
  uint32_t FindDefaultClientInterfaceCopy(InstallCopy** out);
  uint32_t FindDefaultCopy(InstallCopy** out);

  // True when the enumeration could not be completed (an unreadable legacy
  // copy leaves the list empty).
  bool failed() const { return failed_ != 0; }
  InstallCopy* legacyCopy() const { return legacyCopy_; }
  uint32_t GetViewFlags() const { return viewFlags_; }

  // Copies left out because they could not be read, in the order they were
  // met: an unreadable legacy copy ("KV7V8"), else the unreadable subkeys of
  // "InstalledCopies".
  uint32_t skippedCount() const { return static_cast<uint32_t>(skipped_.size()); }
  const char* skippedName(uint32_t index) const;
  // Why it was left out: its copy status (kCopyUnreadable or
  // kCopyComponentsMissing).
  uint32_t skippedStatus(uint32_t index) const;

 private:
  void enumerate();
  bool appendCopy(const char* name);

  InodeChain<InstallCopy> chain_;
  InstallCopy* legacyCopy_ = nullptr;
  uint32_t viewFlags_ = 0;
  uint32_t failed_ = 0;
  std::vector<FixedText<256>> skipped_;
  std::vector<uint32_t> skippedStatus_;
};
