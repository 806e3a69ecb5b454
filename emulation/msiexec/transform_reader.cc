#include "emulation/msiexec/transform_reader.h"

#include "emulation/msiexec/string_pool.h"
#include "emulation/msiexec/transform_records.h"
#include "packaging/msidb/stream_name.h"

namespace msiexec {

// {000C1082-0000-0000-C000-000000000046}, as the compound file stores it.
const msidb::ClassId kTransformClassId = {0x82, 0x10, 0x0C, 0x00, 0x00, 0x00, 0x00, 0x00,
                                          0xC0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x46};

namespace {

bool refuse(std::string* error, std::string reason) {
  if (error) *error = std::move(reason);
  return false;
}

}  // namespace

bool readTransform(const msidb::CompoundStorage& storage, const msidb::Tables& package,
                   msidb::TransformContent* out, std::string* error) {
  *out = msidb::TransformContent{};
  if (storage.classId() != kTransformClassId) return refuse(error, "it is no transform");

  struct TableStream {
    std::string streamName;
    const msidb::Table* table;
  };
  std::vector<TableStream> changed;
  std::string poolStream;
  std::string dataStream;
  bool hasPool = false;
  for (const msidb::CompoundStorage::Entry& entry : storage.entries()) {
    if (entry.isStorage) continue;
    const std::optional<msidb::DecodedStreamName> name = msidb::decodeStreamName(entry.name);
    if (!name) return refuse(error, "a stream has a malformed name");
    // Streams that are no table (summary information, stream data) change
    // no rows.
    if (!name->isTable) continue;
    std::string reason;
    if (name->name == "_StringPool" || name->name == "_StringData") {
      std::string* target = name->name == "_StringPool" ? &poolStream : &dataStream;
      if (!storage.readStream(entry.name, kTransformStreamLimit, target, &reason)) {
        return refuse(error, reason);
      }
      hasPool = hasPool || name->name == "_StringPool";
      continue;
    }
    if (name->name == "_Tables" || name->name == "_Columns") {
      std::string bytes;
      if (!storage.readStream(entry.name, kTransformStreamLimit, &bytes, &reason)) {
        return refuse(error, reason);
      }
      if (!bytes.empty()) return refuse(error, "it adds or drops tables or columns");
      continue;
    }
    auto table = package.find(name->name);
    if (table == package.end()) {
      return refuse(error, "it changes the table " + name->name + ", which the package lacks");
    }
    changed.push_back({entry.name, &table->second});
  }
  if (!hasPool) return refuse(error, "it has no string pool");

  StringPool pool;
  if (!decodeStringPool(poolStream, dataStream, &pool, error)) return false;
  out->codePage = pool.codePage;
  for (const TableStream& stream : changed) {
    std::string bytes;
    if (!storage.readStream(stream.streamName, kTransformStreamLimit, &bytes, error)) return false;
    msidb::TableChanges changes;
    if (!decodeTableStream(bytes, *stream.table, pool, &changes, error)) return false;
    out->tables.push_back(std::move(changes));
  }
  return true;
}

}  // namespace msiexec
