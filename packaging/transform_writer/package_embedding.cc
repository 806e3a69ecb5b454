#include "packaging/transform_writer/package_embedding.h"

#include <set>

#include "packaging/msidb/compound_file.h"
#include "packaging/transform_writer/compound_file_writer.h"

namespace transform_writer {

bool embedTransforms(const std::string& packagePath,
                     const std::vector<EmbeddedTransform>& transforms,
                     const std::string& outputPath, std::string* error) {
  std::unique_ptr<msidb::CompoundStorage> package =
      msidb::CompoundStorage::openFile(packagePath, error);
  if (!package) return false;
  std::set<std::string> replaced;
  for (const EmbeddedTransform& transform : transforms) {
    if (!replaced.insert(transform.name).second) {
      *error = "the storage " + transform.name + " is named twice";
      return false;
    }
  }
  std::unique_ptr<CompoundFileWriter> output =
      CompoundFileWriter::create(outputPath, package->classId(), error);
  if (!output || !output->copyEntries(*package, replaced, error)) return false;
  for (const EmbeddedTransform& transform : transforms) {
    std::unique_ptr<msidb::CompoundStorage> file =
        msidb::CompoundStorage::openFile(transform.hostPath, error);
    if (!file || !output->addStorage(transform.name, *file, error)) return false;
  }
  return output->finish(error);
}

}  // namespace transform_writer
