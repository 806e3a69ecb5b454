// Feeds arbitrary bytes to the emulated installer's transform reader and
// applies what it reads. Input that begins with a compound file's signature
// is read as a whole transform (libgsf's container, then the string pool and
// the table streams); any other input is split into the three streams the
// reader decodes: byte 0 picks a table, bytes 1-2 and 3-4 give the lengths
// of _StringPool and _StringData, and the rest is the table's stream.
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>

#include "emulation/msiexec/string_pool.h"
#include "emulation/msiexec/transform_apply.h"
#include "emulation/msiexec/transform_reader.h"
#include "emulation/msiexec/transform_records.h"
#include "packaging/msidb/compound_file.h"

namespace {

using msidb::Cell;
using msidb::Column;

// Tables shaped like the driver package's, with a row or two each.
const msidb::Tables& packageTables() {
  static const msidb::Tables tables = [] {
    const uint32_t key = msidb::kColumnKey;
    const uint32_t text = msidb::kColumnString;
    const uint32_t nullable = msidb::kColumnNullable;
    msidb::Tables t;
    t["Property"] = {"Property",
                     {{"Property", text | key | 72}, {"Value", text}},
                     {{Cell::ofText("ProductCode"), Cell::ofText("{X}")},
                      {Cell::ofText("ProductName"), Cell::ofText("Driver")}}};
    t["Component"] = {"Component",
                      {{"Component", text | key | 72},
                       {"ComponentId", text | nullable | 38},
                       {"Directory_", text | 72},
                       {"Attributes", msidb::kColumnShort | 2},
                       {"Condition", text | nullable | 255},
                       {"KeyPath", text | nullable | 72}},
                      {{Cell::ofText("C"), Cell::ofText("{G}"), Cell::ofText("D"),
                        Cell::ofNumber(256), Cell{}, Cell::ofText("f")}}};
    t["File"] = {"File",
                 {{"File", text | key | 72},
                  {"FileSize", msidb::kColumnLong | 4},
                  {"Sequence", msidb::kColumnLong | nullable | 4}},
                 {{Cell::ofText("f"), Cell::ofNumber(10), Cell::ofNumber(1)}}};
    t["Binary"] = {"Binary", {{"Name", text | key | 72}, {"Data", msidb::kColumnObject}}, {}};
    msidb::Table wide{"Wide", {{"K", text | key | 72}}, {}};
    for (int i = 1; i < 20; ++i) wide.columns.push_back({"C" + std::to_string(i), text | nullable});
    t["Wide"] = wide;
    return t;
  }();
  return tables;
}

void readWholeTransform(const uint8_t* data, std::size_t size) {
  std::string error;
  auto storage = msidb::CompoundStorage::openBytes(
      std::string(reinterpret_cast<const char*>(data), size), &error);
  if (!storage) return;
  msidb::TransformContent content;
  if (!msiexec::readTransform(*storage, packageTables(), &content, &error)) return;
  msidb::Tables tables = packageTables();
  msiexec::applyTransform(content, &tables, &error);
}

void readStreams(const uint8_t* data, std::size_t size) {
  if (size < 5) return;
  const msidb::Tables& tables = packageTables();
  auto table = tables.begin();
  std::advance(table, data[0] % tables.size());
  const std::size_t poolSize = data[1] | (data[2] << 8);
  const std::size_t dataSize = data[3] | (data[4] << 8);
  std::string_view rest(reinterpret_cast<const char*>(data + 5), size - 5);
  if (poolSize + dataSize > rest.size()) return;
  msiexec::StringPool pool;
  std::string error;
  if (!msiexec::decodeStringPool(rest.substr(0, poolSize), rest.substr(poolSize, dataSize), &pool,
                                 &error)) {
    return;
  }
  // Each string takes at least one entry of four bytes after the header.
  if (pool.strings.size() > poolSize / 4) __builtin_trap();
  msidb::TableChanges changes;
  if (!msiexec::decodeTableStream(rest.substr(poolSize + dataSize), table->second, pool, &changes,
                                  &error)) {
    return;
  }
  for (const msidb::RowChange& row : changes.rows) {
    if (row.cells.size() != table->second.columns.size()) __builtin_trap();
  }
  msidb::Tables copy = tables;
  msiexec::applyTransform({pool.codePage, {changes}}, &copy, &error);
}

}  // namespace

// libgsf itself leaks a few bytes on some malformed directories of a
// compound file, and the fast unwinder stops in glib, so leaks of memory
// that glib allocated are not reported here. The sanitizer test suite reads
// real transforms without this, and catches this project's own object leaks
// there.
extern "C" const char* __lsan_default_suppressions() {
  return "leak:g_malloc\nleak:g_malloc0\nleak:g_utf16_to_utf8\n";
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size) {
  static const uint8_t kSignature[] = {0xD0, 0xCF, 0x11, 0xE0, 0xA1, 0xB1, 0x1A, 0xE1};
  if (size >= sizeof kSignature && std::memcmp(data, kSignature, sizeof kSignature) == 0) {
    readWholeTransform(data, size);
  } else {
    readStreams(data, size);
  }
  return 0;
}
