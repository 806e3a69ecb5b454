#include "emulation/msiexec/transforms.h"

#include <gtest/gtest.h>

#include "emulation/msiexec/string_pool.h"
#include "emulation/msiexec/transform_apply.h"
#include "emulation/msiexec/transform_records.h"

namespace msiexec {
namespace {

const char kPackage[] = "D:\\media\\image\\QOR Telvar Driver for ODBC, CLI, and .NET.msi";

TEST(TransformsTest, ListsStoredTransformsAndFilesBesideThePackageInOrder) {
  struct Case {
    const char* list;
    const char* registered;
  };
  const Case cases[] = {
      {"", ""},
      {"1031.mst", "D:\\media\\image\\1031.mst"},
      {":inst15.mst;1031.mst", ":inst15.mst;D:\\media\\image\\1031.mst"},
      {"E:\\other\\custom.mst;@1031.mst;|x.mst",
       "E:\\other\\custom.mst;D:\\media\\image\\1031.mst;D:\\media\\image\\x.mst"},
      {";;:INST1.MST;", ":INST1.MST"},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(registeredTransformList(parseTransformList(c.list, kPackage)), c.registered)
        << c.list;
  }
}

std::string bytes(std::initializer_list<int> values) {
  std::string out;
  for (int v : values) out += static_cast<char>(v);
  return out;
}

// A table like Feature: a text key, a nullable text, a short and a long
// integer.
msidb::Table sampleTable() {
  msidb::Table table;
  table.name = "Sample";
  table.columns = {{"Key", msidb::kColumnString | msidb::kColumnKey | 72},
                   {"Title", msidb::kColumnString | msidb::kColumnNullable | 64},
                   {"Level", msidb::kColumnShort | 2},
                   {"Size", msidb::kColumnLong | 4}};
  table.rows = {{msidb::Cell::ofText("a"), msidb::Cell::ofText("A"), msidb::Cell::ofNumber(1),
                 msidb::Cell::ofNumber(10)},
                {msidb::Cell::ofText("b"), msidb::Cell{}, msidb::Cell::ofNumber(2),
                 msidb::Cell::ofNumber(20)}};
  return table;
}

TEST(TransformsTest, DecodesRowsOfEveryKindAndRefusesRowsThatDoNotFit) {
  // Strings: 1 "a", 2 "b", 3 "c", 4 "Ü" (code page 1252).
  const std::string pool =
      bytes({0xE4, 0x04, 0, 0, 1, 0, 1, 0, 1, 0, 1, 0, 1, 0, 1, 0, 1, 0, 1, 0});
  const std::string data = "abc\xDC";
  StringPool strings;
  std::string error;
  ASSERT_TRUE(decodeStringPool(pool, data, &strings, &error)) << error;
  ASSERT_EQ(strings.strings, (std::vector<std::string>{"a", "b", "c", "\xC3\x9C"}));

  const std::string add = bytes({0x01, 4, 3, 0, 4, 0, 0x05, 0x80, 0xFF, 0xFF, 0xFF, 0x7F});
  const std::string change = bytes({0x06, 0, 1, 0, 0, 0, 0xFE, 0x7F});  // Title null, Level -2
  const std::string remove = bytes({0, 0, 2, 0});
  msidb::TableChanges decoded;
  ASSERT_TRUE(decodeTableStream(add + change + remove, sampleTable(), strings, &decoded, &error))
      << error;
  ASSERT_EQ(decoded.rows.size(), 3u);
  using msidb::Cell;
  EXPECT_EQ(decoded.rows[0].kind, msidb::ChangeKind::kAdd);
  EXPECT_EQ(decoded.rows[0].cells,
            (std::vector<std::optional<Cell>>{Cell::ofText("c"), Cell::ofText("\xC3\x9C"),
                                              Cell::ofNumber(5), Cell::ofNumber(-1)}));
  EXPECT_EQ(decoded.rows[1].kind, msidb::ChangeKind::kUpdate);
  EXPECT_EQ(decoded.rows[1].cells,
            (std::vector<std::optional<Cell>>{Cell::ofText("a"), Cell{}, Cell::ofNumber(-2),
                                              std::nullopt}));
  EXPECT_EQ(decoded.rows[2].kind, msidb::ChangeKind::kDelete);

  // Applied: c added, a changed, b deleted.
  msidb::Tables tables = {{"Sample", sampleTable()}};
  msidb::TransformContent content{1252, {decoded}};
  ASSERT_TRUE(applyTransform(content, &tables, &error)) << error;
  const msidb::Table& after = tables["Sample"];
  ASSERT_EQ(after.rows.size(), 2u);
  EXPECT_EQ(after.rows[0],
            (msidb::Row{Cell::ofText("a"), Cell{}, Cell::ofNumber(-2), Cell::ofNumber(10)}));
  EXPECT_EQ(after.rows[1][0], Cell::ofText("c"));

  const std::pair<std::string, const char*> refusedRows[] = {
      {bytes({0x02}), "a mask cut short"},
      {bytes({0x01, 0x00}), "an added row of no columns"},
      {bytes({0x01, 0x05, 1, 0, 1, 0, 1, 0x80, 1, 0, 0, 0x80}),
       "an added row of more columns than the table"},
      {bytes({0x10, 0x00, 0x01, 0x00}), "a changed row naming a column past the last"},
      {bytes({0x02, 0x00, 0x01, 0x00}), "a row ending early"},
      {bytes({0x00, 0x00, 0x09, 0x00}), "a string not in the pool"},
  };
  for (const auto& [stream, what] : refusedRows) {
    EXPECT_FALSE(decodeTableStream(stream, sampleTable(), strings, &decoded, &error)) << what;
  }

  const std::pair<std::string, std::string> refusedPools[] = {
      {bytes({0xE4, 0x04, 0}), ""},                     // header cut short
      {bytes({0xE4, 0x04, 0, 0, 5, 0, 1, 0}), "abc"},   // a string past the data
      {bytes({0xE4, 0x04, 0, 0, 0, 0, 1, 0}), ""},      // a long string's length missing
      {bytes({0x39, 0x30, 0, 0, 1, 0, 1, 0}), "a"},     // code page 12345
      {bytes({0xE4, 0x04, 0, 0, 1, 0, 1, 0}), "\x81"},  // no character of 1252
  };
  for (const auto& [poolBytes, dataBytes] : refusedPools) {
    EXPECT_FALSE(decodeStringPool(poolBytes, dataBytes, &strings, &error)) << error;
  }
}

TEST(TransformsTest, ATransformThatConflictsWithTheRowsFailsWhole) {
  using msidb::Cell;
  const auto change = [](msidb::ChangeKind kind, const char* key) {
    return msidb::RowChange{
        kind, {Cell::ofText(key), Cell::ofText("T"), Cell::ofNumber(1), Cell::ofNumber(1)}};
  };
  const msidb::TableChanges refused[] = {
      {"Sample", {change(msidb::ChangeKind::kAdd, "a")}},
      {"Sample", {change(msidb::ChangeKind::kUpdate, "x")}},
      {"Sample", {change(msidb::ChangeKind::kDelete, "x")}},
      {"Sample",
       {change(msidb::ChangeKind::kDelete, "a"), change(msidb::ChangeKind::kDelete, "a")}},
      {"Other", {change(msidb::ChangeKind::kAdd, "x")}},
  };
  for (const msidb::TableChanges& changes : refused) {
    msidb::Tables tables = {{"Sample", sampleTable()}};
    std::string error;
    EXPECT_FALSE(applyTransform({0, {changes}}, &tables, &error));
    EXPECT_FALSE(error.empty());
  }
}

}  // namespace
}  // namespace msiexec
