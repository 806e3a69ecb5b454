// The transform writer against the installer's transform reader: what it
// writes reads back as the changes it was given, and what it is given wrong
// it refuses.
#include <gtest/gtest.h>

#include <filesystem>
#include <map>

#include "emulation/msiexec/transform_reader.h"
#include "packaging/msidb/stream_name.h"
#include "packaging/transform_writer/change_list.h"
#include "packaging/transform_writer/compound_file_writer.h"
#include "packaging/transform_writer/transform_file.h"

namespace transform_writer {
namespace {

namespace fs = std::filesystem;

const BasePackage& basePackage() {
  static const BasePackage package = [] {
    BasePackage read;
    std::string error;
    EXPECT_TRUE(readBasePackage(KV7_BASE_PACKAGE, &read, &error)) << error;
    return read;
  }();
  return package;
}

class TempDir {
 public:
  TempDir() {
    char pattern[] = "/tmp/kv7-transform-XXXXXX";
    path_ = mkdtemp(pattern);
  }
  ~TempDir() { fs::remove_all(path_); }
  std::string file(const std::string& name) const { return path_ + "/" + name; }

 private:
  std::string path_;
};

// Writes the changes and reads them back through the installer's reader,
// by table.
bool roundTrip(const std::vector<msidb::TableChanges>& changes, uint32_t codePage,
               msidb::TransformContent* read, std::string* error) {
  TempDir dir;
  const std::string file = dir.file("t.mst");
  if (!writeTransform(basePackage(), changes, codePage, file, error)) return false;
  auto storage = msidb::CompoundStorage::openFile(file, error);
  return storage && msiexec::readTransform(*storage, basePackage().tables, read, error);
}

std::map<std::string, msidb::TableChanges> byTable(const std::vector<msidb::TableChanges>& list) {
  std::map<std::string, msidb::TableChanges> tables;
  for (const msidb::TableChanges& table : list) tables[table.table] = table;
  return tables;
}

TEST(TransformWriterTest, WhatItWritesReadsBackAsTheChangesGiven) {
  // 70000 added properties need more string ids than two bytes hold.
  std::string manyRows;
  for (int i = 0; i < 35000; ++i) {
    manyRows += "add\tProperty\tP" + std::to_string(i) + "\tValue=v" + std::to_string(i) + "\n";
  }
  struct Case {
    const char* what;
    std::string changes;
    uint32_t codePage;
  };
  const Case cases[] = {
      {"properties changed, added and deleted; null and long integers",
       "change\tProperty\tProductName\tValue=QOR Telvar Treiberpaket für Tests\n"
       "add\tProperty\tARPCOMMENTS\tValue=ein Kommentar\n"
       "delete\tProperty\tSecureCustomProperties\n"
       "change\tFile\tkv7drv.dll\tFileSize=2147483647\tSequence=-5\n"
       "change\tFeature\tDriver\tDisplay=\tLevel=-32767\tTitle=Ü\n"
       "change\tComponent\tDriverLevel\tComponentId={2F9D6A18-84C7-4B35-A0E2-6D5C2B7F9A31}\n",
       1252},
      {"a row added whole, nulls included",
       "add\tFeature\tExtra\tLevel=3\tTitle=Extra\tAttributes=0\n", 1252},
      {"Cyrillic texts", "change\tProperty\tProductName\tValue=Пакет драйвера QOR Telvar\n", 1251},
      {"Japanese texts", "change\tProperty\tProductName\tValue=QOR Telvar ドライバー パッケージ\n",
       932},
      {"a neutral code page",
       "change\tProperty\tProductCode\tValue={5C1E7A20-3B9D-4F62-A8E0-0E4B7C93F2A6}\n", 0},
      {"three-byte string references", manyRows, 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    std::vector<msidb::TableChanges> changes;
    std::string error;
    ASSERT_TRUE(parseChangeList(c.changes, basePackage().tables, &changes, &error)) << error;
    msidb::TransformContent read;
    ASSERT_TRUE(roundTrip(changes, c.codePage, &read, &error)) << error;
    EXPECT_EQ(read.codePage, c.codePage);
    EXPECT_EQ(byTable(read.tables), byTable(changes));
  }
}

TEST(TransformWriterTest, RefusesChangesThatDoNotFitThePackage) {
  const char* refused[] = {
      "change\tNoSuchTable\tX\tValue=1\n",
      "change\tProperty\tProductName\tNoSuchColumn=1\n",
      "change\tProperty\tNoSuchProperty\tValue=1\n",
      "add\tProperty\tProductName\tValue=again\n",
      "delete\tProperty\tNoSuchProperty\n",
      "delete\tProperty\tProductName\tValue=1\n",
      "change\tProperty\tProductName\n",
      "change\tFile\tkv7drv.dll\tFileSize=big\n",
      "change\tFeature\tDriver\tLevel=40000\n",
      "change\tFeature\tDriver\tLevel=\n",
      "add\tFeature\tExtra\tTitle=no level\n",
      "change\tProperty\tProductName\tValue=a\nchange\tProperty\tProductName\tValue=b\n",
      "modify\tProperty\tProductName\tValue=x\n",
      "change\tBinary\tCopyPathScript\tData=x\n",
  };
  for (const char* text : refused) {
    std::vector<msidb::TableChanges> changes;
    std::string error;
    EXPECT_FALSE(parseChangeList(text, basePackage().tables, &changes, &error)) << text;
    EXPECT_EQ(error.rfind("line ", 0), 0u) << error;
  }
  // A text that the code page cannot hold.
  std::vector<msidb::TableChanges> changes;
  std::string error;
  ASSERT_TRUE(parseChangeList("change\tProperty\tProductName\tValue=Пакет\n", basePackage().tables,
                              &changes, &error));
  TempDir dir;
  EXPECT_FALSE(writeTransform(basePackage(), changes, 1252, dir.file("t.mst"), &error));
  EXPECT_FALSE(fs::exists(dir.file("t.mst")));
}

// Transforms the reader refuses, made stream by stream.
TEST(TransformReaderTest, RefusesTransformsItCannotApplyWhole) {
  const std::string pool = msidb::encodeStreamName("_StringPool", true);
  const std::string data = msidb::encodeStreamName("_StringData", true);
  const msidb::ClassId transformClass = msiexec::kTransformClassId;
  const msidb::ClassId otherClass{};
  struct Case {
    const char* what;
    msidb::ClassId classId;
    std::vector<std::pair<std::string, std::string>> streams;
  };
  const std::string emptyPool("\0\0\0\0", 4);
  const Case cases[] = {
      {"not of the transform class", otherClass, {{pool, emptyPool}, {data, ""}}},
      {"no string pool", transformClass, {{data, ""}}},
      {"a table the package lacks",
       transformClass,
       {{pool, emptyPool}, {data, ""}, {msidb::encodeStreamName("NoSuchTable", true), ""}}},
      {"columns added",
       transformClass,
       {{pool, emptyPool}, {data, ""}, {msidb::encodeStreamName("_Columns", true), "x"}}},
      {"a row cut short",
       transformClass,
       {{pool, emptyPool}, {data, ""}, {msidb::encodeStreamName("Property", true), "\x02"}}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    TempDir dir;
    std::string error;
    auto file = CompoundFileWriter::create(dir.file("t.mst"), c.classId, &error);
    ASSERT_TRUE(file) << error;
    for (const auto& [name, bytes] : c.streams) ASSERT_TRUE(file->addStream(name, bytes, &error));
    ASSERT_TRUE(file->finish(&error)) << error;
    auto storage = msidb::CompoundStorage::openFile(dir.file("t.mst"), &error);
    ASSERT_TRUE(storage) << error;
    msidb::TransformContent read;
    EXPECT_FALSE(msiexec::readTransform(*storage, basePackage().tables, &read, &error));
    EXPECT_FALSE(error.empty());
  }
}

}  // namespace
}  // namespace transform_writer
