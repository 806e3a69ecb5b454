#pragma once

#include <string>
#include <utility>
#include <vector>

// Stores transforms in a package, as the storages that TRANSFORMS=:name
// names: the package's compound file is copied whole (streams, storages and
// class id), each transform added as a storage of its name (one of the same
// name is replaced).
namespace transform_writer {

struct EmbeddedTransform {
  std::string name;      // the storage's name, "inst1.mst"
  std::string hostPath;  // the transform file
};

bool embedTransforms(const std::string& packagePath,
                     const std::vector<EmbeddedTransform>& transforms,
                     const std::string& outputPath, std::string* error);

}  // namespace transform_writer
