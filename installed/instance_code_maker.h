#pragma once

#include <cstdint>
#include <string_view>

// The instance product codes of one base code: the base code is read once,
// and each instance's code is then written in a few steps (the search for an
// installed product asks for fifteen of them per code).
class InstanceCodeMaker {
 public:
  explicit InstanceCodeMaker(const char* baseCode);

  // 0, or RC_FAILED when the base code does not have five groups.
  uint32_t status() const { return status_; }
  // Appends the code of the instance to out as MakeInstanceProductCode does:
  // the status when it is not 0, RC_BUFFER_TOO_SMALL when the code does not
  // fit after what out holds (out is then unchanged), else 0.
  uint32_t append(uint32_t instance, char* out) const;

 private:
  static constexpr int kGroupCount = 5;

  std::string_view groups_[kGroupCount];
  uint64_t fourth_ = 0;  // the value of the fourth group
  uint32_t status_ = 0;
};
