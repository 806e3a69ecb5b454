#include "packaging/msidb/compound_file.h"

#include <gsf/gsf-infile-msole.h>
#include <gsf/gsf-infile.h>
#include <gsf/gsf-input-memory.h>
#include <gsf/gsf-input-stdio.h>
#include <gsf/gsf-utils.h>

#include <mutex>

#include "packaging/msidb/glib_error.h"

namespace msidb {
namespace {

void initialiseLibgsf() {
  static std::once_flag once;
  std::call_once(once, [] { gsf_init(); });
}

}  // namespace

// A storage with what keeps it readable: its parent storage (libgsf reads a
// child through the file of its root) and, for a file held in memory, the
// bytes.
struct CompoundStorage::Handle {
  GsfInfile* infile = nullptr;
  std::shared_ptr<Handle> parent;
  std::shared_ptr<const std::string> bytes;
  ~Handle() {
    if (infile != nullptr) g_object_unref(infile);
  }
};

CompoundStorage::CompoundStorage(std::shared_ptr<Handle> handle) : handle_(std::move(handle)) {}
CompoundStorage::~CompoundStorage() = default;

std::unique_ptr<CompoundStorage> CompoundStorage::openFile(const std::string& hostPath,
                                                           std::string* error) {
  initialiseLibgsf();
  GError* failure = nullptr;
  GsfInput* input = gsf_input_stdio_new(hostPath.c_str(), &failure);
  if (input == nullptr) {
    if (error) *error = takeError(failure, "cannot open " + hostPath);
    return nullptr;
  }
  GsfInfile* infile = gsf_infile_msole_new(input, &failure);
  g_object_unref(input);
  if (infile == nullptr) {
    if (error) *error = takeError(failure, hostPath + " is no compound file");
    return nullptr;
  }
  auto handle = std::make_shared<Handle>();
  handle->infile = infile;
  return std::unique_ptr<CompoundStorage>(new CompoundStorage(handle));
}

std::unique_ptr<CompoundStorage> CompoundStorage::openBytes(std::string bytes, std::string* error) {
  initialiseLibgsf();
  auto handle = std::make_shared<Handle>();
  handle->bytes = std::make_shared<const std::string>(std::move(bytes));
  GsfInput* input = gsf_input_memory_new(reinterpret_cast<const guint8*>(handle->bytes->data()),
                                         static_cast<gsf_off_t>(handle->bytes->size()), FALSE);
  if (input == nullptr) {
    if (error) *error = "cannot read the compound file";
    return nullptr;
  }
  GError* failure = nullptr;
  handle->infile = gsf_infile_msole_new(input, &failure);
  g_object_unref(input);
  if (handle->infile == nullptr) {
    if (error) *error = takeError(failure, "no compound file");
    return nullptr;
  }
  return std::unique_ptr<CompoundStorage>(new CompoundStorage(handle));
}

std::vector<CompoundStorage::Entry> CompoundStorage::entries() const {
  std::vector<Entry> found;
  const int count = gsf_infile_num_children(handle_->infile);
  for (int i = 0; i < count; ++i) {
    const char* name = gsf_infile_name_by_index(handle_->infile, i);
    GsfInput* child = gsf_infile_child_by_index(handle_->infile, i);
    if (name == nullptr || child == nullptr) {
      if (child != nullptr) g_object_unref(child);
      continue;
    }
    const bool isStorage = GSF_IS_INFILE(child) && gsf_infile_num_children(GSF_INFILE(child)) >= 0;
    g_object_unref(child);
    found.push_back(Entry{name, isStorage});
  }
  return found;
}

std::unique_ptr<CompoundStorage> CompoundStorage::storage(std::string_view name,
                                                          std::string* error) const {
  const std::string wanted(name);
  GsfInput* child = gsf_infile_child_by_name(handle_->infile, wanted.c_str());
  if (child == nullptr || !GSF_IS_INFILE(child) || gsf_infile_num_children(GSF_INFILE(child)) < 0) {
    if (child != nullptr) g_object_unref(child);
    if (error) *error = "no storage \"" + wanted + "\"";
    return nullptr;
  }
  auto handle = std::make_shared<Handle>();
  handle->infile = GSF_INFILE(child);
  handle->parent = handle_;
  return std::unique_ptr<CompoundStorage>(new CompoundStorage(handle));
}

bool CompoundStorage::readStream(std::string_view name, std::size_t limit, std::string* bytes,
                                 std::string* error) const {
  bytes->clear();
  const std::string wanted(name);
  GsfInput* child = gsf_infile_child_by_name(handle_->infile, wanted.c_str());
  if (child == nullptr) {
    if (error) *error = "no stream \"" + wanted + "\"";
    return false;
  }
  bool ok = true;
  const gsf_off_t size = gsf_input_size(child);
  if (GSF_IS_INFILE(child) && gsf_infile_num_children(GSF_INFILE(child)) >= 0) {
    if (error) *error = "\"" + wanted + "\" is a storage, not a stream";
    ok = false;
  } else if (size < 0 || static_cast<uint64_t>(size) > limit) {
    if (error) *error = "the stream \"" + wanted + "\" is too large";
    ok = false;
  } else {
    bytes->resize(static_cast<std::size_t>(size));
    if (size > 0 && gsf_input_read(child, static_cast<std::size_t>(size),
                                   reinterpret_cast<guint8*>(bytes->data())) == nullptr) {
      if (error) *error = "cannot read the stream \"" + wanted + "\"";
      ok = false;
    }
  }
  g_object_unref(child);
  if (!ok) bytes->clear();
  return ok;
}

ClassId CompoundStorage::classId() const {
  ClassId id{};
  if (GSF_IS_INFILE_MSOLE(handle_->infile)) {
    gsf_infile_msole_get_class_id(GSF_INFILE_MSOLE(handle_->infile), id.data());
  }
  return id;
}

}  // namespace msidb
