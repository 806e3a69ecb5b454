#include "emulation/msiexec/transforms.h"

#include <memory>

#include "base/split.h"
#include "emulation/machine/code_page.h"
#include "emulation/machine/machine.h"
#include "emulation/msiexec/directory_tree.h"
#include "emulation/msiexec/installer_codes.h"
#include "emulation/msiexec/transform_apply.h"
#include "emulation/msiexec/transform_reader.h"
#include "packaging/msidb/compound_file.h"
#include "platform/platform.h"

namespace msiexec {
namespace {

uint32_t refuse(std::string* error, std::string reason) {
  if (error) *error = std::move(reason);
  return kTransformFailure;
}

// The storage of one transform: inside the package, or a file of its own.
std::unique_ptr<msidb::CompoundStorage> openTransform(const TransformReference& transform,
                                                      const msidb::CompoundStorage* package,
                                                      std::string* error) {
  if (transform.embedded) return package->storage(transform.name, error);
  const std::string ansi = emulated::utf8ToAnsi(transform.name);
  if (platform::pathKind(ansi.c_str()) != platform::PathKind::kRegularFile) {
    if (error) *error = "the file does not exist";
    return nullptr;
  }
  return msidb::CompoundStorage::openFile(emulated::toHostPath(ansi), error);
}

}  // namespace

std::vector<TransformReference> parseTransformList(std::string_view list,
                                                   std::string_view packagePath) {
  std::vector<TransformReference> transforms;
  for (std::string_view entry : splitAt(list, ";")) {
    if (entry.empty()) continue;
    if (entry[0] == ':') {
      transforms.push_back({true, std::string(entry.substr(1))});
      continue;
    }
    if (entry[0] == '@' || entry[0] == '|') entry.remove_prefix(1);
    transforms.push_back({false, isFullPath(entry)
                                     ? std::string(entry)
                                     : directoryOf(packagePath) + std::string(entry)});
  }
  return transforms;
}

std::string registeredTransformList(const std::vector<TransformReference>& transforms) {
  std::string list;
  for (const TransformReference& transform : transforms) {
    list += (list.empty() ? "" : ";") + transform.registered();
  }
  return list;
}

uint32_t applyTransforms(const std::vector<TransformReference>& transforms,
                         const std::string& packageHostPath, msidb::Tables* tables,
                         std::string* error) {
  if (transforms.empty()) return 0;
  std::unique_ptr<msidb::CompoundStorage> package;
  msidb::Tables transformed = *tables;
  for (const TransformReference& transform : transforms) {
    std::string reason;
    if (transform.embedded && !package) {
      package = msidb::CompoundStorage::openFile(packageHostPath, &reason);
      if (!package) return refuse(error, "cannot read the package's transforms: " + reason);
    }
    std::unique_ptr<msidb::CompoundStorage> storage =
        openTransform(transform, package.get(), &reason);
    msidb::TransformContent content;
    if (!storage || !readTransform(*storage, transformed, &content, &reason) ||
        !applyTransform(content, &transformed, &reason)) {
      return refuse(error,
                    "the transform " + transform.registered() + " cannot be applied: " + reason);
    }
  }
  *tables = std::move(transformed);
  return 0;
}

}  // namespace msiexec
