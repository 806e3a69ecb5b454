#pragma once

#include <cstdint>

#include "installed/inode_chain.h"
#include "installed/kv7_instance.h"

class InstallCopy;

// The instances of one copy, listed through the family's instance library.
// Owns its instances; built completely by the constructor.
class InstanceList {
 public:
  explicit InstanceList(InstallCopy* copy);
  InstanceList(const InstanceList&) = delete;
  InstanceList& operator=(const InstanceList&) = delete;
  virtual ~InstanceList();

  uint32_t count() const { return chain_.count; }
  IKV7INSTANCE* First() { return chain_.First(); }
  IKV7INSTANCE* Next() { return chain_.Next(); }

  // 0, RC_NOT_FOUND, or RC_MISSING_ARGUMENT for a null out.
  uint32_t FindInstance(const char* name, IKV7INSTANCE** out);
  bool HasInstance(const char* name);

  InstallCopy* copy() const { return copy_; }
  // True when the library answered an error; the instances taken before it
  // stay listed.
  bool failed() const { return failed_ != 0; }
  // The library's error code, 0 when the enumeration ended normally.
  uint32_t error() const { return error_; }

 private:
  uint32_t enumerate();

  InodeChain<IKV7INSTANCE> chain_;
  InstallCopy* copy_;
  uint32_t failed_ = 0;
  uint32_t error_ = 0;
};
