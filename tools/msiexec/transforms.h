#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

// The TRANSFORMS list: transform files (language transforms), looked up
// beside the package unless given with a full path, and transforms stored
// in the package, written with a leading ":". The driver package's stored
// transforms are its instance transforms ":inst1.mst" to ":inst15.mst", each
// of which gives the product the product code of its instance slot.
namespace msiexec {

struct TransformSelection {
  uint32_t instanceSlot = 0;       // 0 when no instance transform is named
  std::vector<std::string> files;  // Windows paths of the transform files
};

// 0, or kTransformFailure with the reason in *error when a transform file
// does not exist, a stored transform is not an instance transform, or two
// instance transforms are named. packagePath is the package's Windows path.
uint32_t selectTransforms(std::string_view list, std::string_view packagePath,
                          TransformSelection* selection, std::string* error);

// The instance slot of a stored transform's name ("inst7.mst" gives 7), or
// 0 when it names none of the slots 1 to 15.
uint32_t instanceSlotOfTransform(std::string_view storedName);

}  // namespace msiexec
