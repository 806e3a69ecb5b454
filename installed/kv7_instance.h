#pragma once

#include <array>
#include <cstddef>
#include <cstdint>

#include "base/fixed_text.h"

class InstallCopy;

// One database manager instance of a copy, as the family's instance library
// reports it, with its profile's cluster value and the head of its system
// file.
class IKV7INSTANCE {
 public:
  static constexpr size_t kSystemFileSize = 4096;

  // Names longer than 8 characters and directories longer than 255 are cut.
  // Reads "kv7systm" in the directory and, with an owning copy, the
  // instance's profile key.
  IKV7INSTANCE(const char* name, InstallCopy* copy, const char* directory);
  IKV7INSTANCE(const IKV7INSTANCE&) = delete;
  IKV7INSTANCE& operator=(const IKV7INSTANCE&) = delete;
  virtual ~IKV7INSTANCE();

  // Texts into caller buffers: RC_MISSING_ARGUMENT for a null buffer,
  // RC_BUFFER_TOO_SMALL when the text and its terminator do not fit.
  uint32_t GetName(char* buffer, size_t size) const;
  uint32_t GetPath(char* buffer, size_t size) const;
  // The directory without its last component (the instance name and the
  // backslash before it); RC_FAILED when it has no backslash.
  uint32_t GetParentPath(char* buffer, size_t size) const;
  uint32_t GetCluster(char* buffer, size_t size) const;
  // RC_FAILED without an owning copy.
  uint32_t GetCopyName(char* buffer, size_t size) const;

  bool IsCluster() const { return isCluster_; }
  InstallCopy* copy() const { return copy_; }
  const char* name() const { return name_.c_str(); }
  const char* path() const { return path_.c_str(); }

  // The little-endian 16-bit value at byte 40 of the system file.
  uint16_t GetSystemFileValue() const;
  // The whole 4096 bytes of the system file; RC_MISSING_ARGUMENT for null.
  uint32_t CopySystemFile(uint8_t* out) const;
  // Reads "kv7systm" again from directory (the instance directory when null);
  // RC_MISSING_ARGUMENT when the file cannot be opened.
  uint32_t ReloadSystemFile(const char* directory);

 private:
  bool loadSystemFile(const char* directory);
  void readProfile();

  InstallCopy* copy_;
  FixedText<256> path_;
  FixedText<9> name_;
  FixedText<256> cluster_;
  bool isCluster_ = false;
  std::array<uint8_t, kSystemFileSize> systemFile_{};
};
