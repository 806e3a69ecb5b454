#include "packaging/transform_writer/compound_file_writer.h"

#include <gsf/gsf-outfile-msole.h>
#include <gsf/gsf-outfile.h>
#include <gsf/gsf-output-stdio.h>
#include <gsf/gsf-utils.h>

#include <cstdio>
#include <mutex>

#include "packaging/msidb/glib_error.h"

namespace transform_writer {
namespace {

using msidb::takeError;

// No stream of a package or transform this writer copies comes near this.
constexpr std::size_t kLargestStream = std::size_t{1} << 30;

bool writeStream(GsfOutfile* parent, const std::string& name, const std::string& bytes,
                 std::string* error) {
  GsfOutput* child = gsf_outfile_new_child(parent, name.c_str(), FALSE);
  if (child == nullptr) {
    *error = "cannot add the stream " + name;
    return false;
  }
  bool ok = bytes.empty() ||
            gsf_output_write(child, bytes.size(), reinterpret_cast<const guint8*>(bytes.data()));
  ok = gsf_output_close(child) && ok;
  g_object_unref(child);
  if (!ok) *error = "cannot write the stream " + name;
  return ok;
}

bool copyInto(GsfOutfile* out, const msidb::CompoundStorage& from,
              const std::set<std::string>& skip, std::string* error);

bool copyStorage(GsfOutfile* parent, const std::string& name, const msidb::CompoundStorage& from,
                 std::string* error) {
  GsfOutput* child = gsf_outfile_new_child(parent, name.c_str(), TRUE);
  if (child == nullptr) {
    *error = "cannot add the storage " + name;
    return false;
  }
  const msidb::ClassId id = from.classId();
  bool ok = gsf_outfile_msole_set_class_id(GSF_OUTFILE_MSOLE(child), id.data()) &&
            copyInto(GSF_OUTFILE(child), from, {}, error);
  ok = gsf_output_close(child) && ok;
  g_object_unref(child);
  if (!ok && error->empty()) *error = "cannot write the storage " + name;
  return ok;
}

bool copyInto(GsfOutfile* out, const msidb::CompoundStorage& from,
              const std::set<std::string>& skip, std::string* error) {
  for (const msidb::CompoundStorage::Entry& entry : from.entries()) {
    if (skip.count(entry.name) != 0) continue;
    if (entry.isStorage) {
      std::unique_ptr<msidb::CompoundStorage> inner = from.storage(entry.name, error);
      if (!inner || !copyStorage(out, entry.name, *inner, error)) return false;
    } else {
      std::string bytes;
      if (!from.readStream(entry.name, kLargestStream, &bytes, error) ||
          !writeStream(out, entry.name, bytes, error)) {
        return false;
      }
    }
  }
  return true;
}

}  // namespace

struct CompoundFileWriter::Output {
  std::string finalPath;
  std::string partialPath;
  GsfOutput* sink = nullptr;
  GsfOutfile* root = nullptr;
  bool failed = false;
  bool finished = false;

  ~Output() {
    if (root != nullptr) {
      if (!gsf_output_is_closed(GSF_OUTPUT(root))) gsf_output_close(GSF_OUTPUT(root));
      g_object_unref(root);
    }
    if (sink != nullptr) g_object_unref(sink);
    if (!finished) std::remove(partialPath.c_str());
  }
};

CompoundFileWriter::CompoundFileWriter(std::unique_ptr<Output> output)
    : output_(std::move(output)) {}
CompoundFileWriter::~CompoundFileWriter() = default;

std::unique_ptr<CompoundFileWriter> CompoundFileWriter::create(const std::string& hostPath,
                                                               const msidb::ClassId& classId,
                                                               std::string* error) {
  static std::once_flag once;
  std::call_once(once, [] { gsf_init(); });
  auto output = std::make_unique<Output>();
  output->finalPath = hostPath;
  output->partialPath = hostPath + ".partial";
  GError* failure = nullptr;
  output->sink = gsf_output_stdio_new(output->partialPath.c_str(), &failure);
  if (output->sink == nullptr) {
    *error = takeError(failure, "cannot write " + output->partialPath);
    return nullptr;
  }
  output->root = gsf_outfile_msole_new(output->sink);
  if (output->root == nullptr ||
      !gsf_outfile_msole_set_class_id(GSF_OUTFILE_MSOLE(output->root), classId.data())) {
    *error = "cannot start the compound file " + hostPath;
    return nullptr;
  }
  return std::unique_ptr<CompoundFileWriter>(new CompoundFileWriter(std::move(output)));
}

bool CompoundFileWriter::addStream(const std::string& name, const std::string& bytes,
                                   std::string* error) {
  if (!writeStream(output_->root, name, bytes, error)) output_->failed = true;
  return !output_->failed;
}

bool CompoundFileWriter::copyEntries(const msidb::CompoundStorage& from,
                                     const std::set<std::string>& skip, std::string* error) {
  if (!copyInto(output_->root, from, skip, error)) output_->failed = true;
  return !output_->failed;
}

bool CompoundFileWriter::addStorage(const std::string& name, const msidb::CompoundStorage& from,
                                    std::string* error) {
  if (!copyStorage(output_->root, name, from, error)) output_->failed = true;
  return !output_->failed;
}

bool CompoundFileWriter::finish(std::string* error) {
  if (output_->failed) return false;
  bool closed = gsf_output_close(GSF_OUTPUT(output_->root));
  // Closing the root may close its file too.
  if (!gsf_output_is_closed(output_->sink)) closed = gsf_output_close(output_->sink) && closed;
  if (!closed) {
    *error = "cannot complete " + output_->finalPath;
    return false;
  }
  if (std::rename(output_->partialPath.c_str(), output_->finalPath.c_str()) != 0) {
    *error = "cannot name the file " + output_->finalPath;
    return false;
  }
  output_->finished = true;
  return true;
}

}  // namespace transform_writer
