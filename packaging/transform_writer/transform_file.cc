#include "packaging/transform_writer/transform_file.h"

#include "packaging/msidb/stream_name.h"
#include "packaging/transform_writer/compound_file_writer.h"
#include "packaging/transform_writer/string_pool_builder.h"
#include "packaging/transform_writer/summary_information.h"
#include "packaging/transform_writer/table_stream_writer.h"

namespace transform_writer {
namespace {

// {000C1082-0000-0000-C000-000000000046}, as the compound file stores it.
constexpr msidb::ClassId kTransformClassId = {0x82, 0x10, 0x0C, 0x00, 0x00, 0x00, 0x00, 0x00,
                                              0xC0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x46};
constexpr char kSummaryStreamName[] = "\005SummaryInformation";

std::string propertyBefore(const BasePackage& package, const std::string& name) {
  auto table = package.tables.find("Property");
  if (table == package.tables.end()) return "";
  for (const msidb::Row& row : table->second.rows) {
    if (row.size() == 2 && row[0].text == name) return row[1].text;
  }
  return "";
}

// A property's value after the changes, or as the package has it.
std::string propertyAfter(const BasePackage& package,
                          const std::vector<msidb::TableChanges>& changes,
                          const std::string& name) {
  for (const msidb::TableChanges& table : changes) {
    if (table.table != "Property") continue;
    for (const msidb::RowChange& row : table.rows) {
      if (row.cells.size() == 2 && row.cells[0] && row.cells[0]->text == name) {
        return row.kind == msidb::ChangeKind::kDelete || !row.cells[1] ? "" : row.cells[1]->text;
      }
    }
  }
  return propertyBefore(package, name);
}

// "x64;1033" with the language part replaced.
std::string withLanguage(const std::string& platformAndLanguages, const std::string& language) {
  const std::size_t semicolon = platformAndLanguages.find(';');
  return platformAndLanguages.substr(
             0, semicolon == std::string::npos ? platformAndLanguages.size() : semicolon) +
         ";" + language;
}

TransformSummary summaryOf(const BasePackage& package,
                           const std::vector<msidb::TableChanges>& changes, uint32_t codePage) {
  TransformSummary summary;
  summary.codePage = static_cast<uint16_t>(codePage == 0 ? 1252 : codePage);
  summary.basePlatform = package.summary.platformAndLanguages;
  summary.transformedPlatform =
      withLanguage(summary.basePlatform, propertyAfter(package, changes, "ProductLanguage"));
  summary.revision = propertyBefore(package, "ProductCode") +
                     propertyBefore(package, "ProductVersion") + ";" +
                     propertyAfter(package, changes, "ProductCode") +
                     propertyAfter(package, changes, "ProductVersion") + ";" +
                     propertyBefore(package, "UpgradeCode");
  summary.installerVersion = package.summary.installerVersion;
  return summary;
}

}  // namespace

bool readBasePackage(const std::string& hostPath, BasePackage* package, std::string* error) {
  std::unique_ptr<msidb::PackageFile> file = msidb::PackageFile::open(hostPath, error);
  return file && file->readTables(&package->tables, error) &&
         file->readSummary(&package->summary, error);
}

bool writeTransform(const BasePackage& package, const std::vector<msidb::TableChanges>& changes,
                    uint32_t codePage, const std::string& hostPath, std::string* error) {
  StringPoolBuilder pool(codePage);
  for (const msidb::TableChanges& table : changes) {
    const msidb::Table& schema = package.tables.at(table.table);
    for (const msidb::RowChange& row : table.rows) {
      for (std::size_t i = 0; i < row.cells.size(); ++i) {
        if (row.cells[i] && !row.cells[i]->null && msidb::isStringColumn(schema.columns[i].type) &&
            !pool.add(row.cells[i]->text, error)) {
          return false;
        }
      }
    }
  }

  std::unique_ptr<CompoundFileWriter> file =
      CompoundFileWriter::create(hostPath, kTransformClassId, error);
  if (!file ||
      !file->addStream(kSummaryStreamName,
                       encodeSummaryInformation(summaryOf(package, changes, codePage)), error) ||
      !file->addStream(msidb::encodeStreamName("_StringPool", true), pool.poolStream(), error) ||
      !file->addStream(msidb::encodeStreamName("_StringData", true), pool.dataStream(), error)) {
    return false;
  }
  for (const msidb::TableChanges& table : changes) {
    std::string stream;
    if (!encodeTableStream(package.tables.at(table.table), table, pool, &stream, error) ||
        !file->addStream(msidb::encodeStreamName(table.table, true), stream, error)) {
      return false;
    }
  }
  return file->finish(error);
}

}  // namespace transform_writer
