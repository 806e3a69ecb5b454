// The transforms the build stages: inst1.mst to inst15.mst stored in the
// driver package, and beside it a language transform for every language the
// launcher offers, each read back through the installer's reader.
#include <gtest/gtest.h>

#include <cstdlib>
#include <map>
#include <set>
#include <sstream>

#include "emulation/msiexec/transform_apply.h"
#include "emulation/msiexec/transform_reader.h"
#include "installed/product_catalogue.h"
#include "launcher/language_table.h"
#include "packaging/msidb/package_file.h"

namespace {

const char kPackageName[] = "QOR Telvar Driver for ODBC, CLI, and .NET.msi";
constexpr uint32_t kCharCount = 16;   // validation and error flags
constexpr uint32_t kLastSavedBy = 8;  // platform and language after the transform

std::string imageDir() {
  const char* dir = std::getenv("KV7_IMAGE_DIR");
  return dir != nullptr && *dir != '\0' ? dir : KV7_DEFAULT_IMAGE_DIR;
}

uint32_t littleEndian(const std::string& bytes, std::size_t at) {
  if (at + 4 > bytes.size()) return 0;
  uint32_t value = 0;
  for (int i = 3; i >= 0; --i) value = (value << 8) | static_cast<uint8_t>(bytes[at + i]);
  return value;
}

// A property of a summary information stream as text ("<none>" when
// missing): numbers in decimal, texts as they are.
std::string summaryProperty(const msidb::CompoundStorage& storage, uint32_t id) {
  std::string stream;
  std::string error;
  if (!storage.readStream("\005SummaryInformation", 4096, &stream, &error)) return error;
  const std::size_t section = littleEndian(stream, 44);
  const uint32_t count = littleEndian(stream, section + 4);
  for (uint32_t i = 0; i < count && i < 64; ++i) {
    if (littleEndian(stream, section + 8 + 8 * i) != id) continue;
    const std::size_t value = section + littleEndian(stream, section + 12 + 8 * i);
    const uint32_t type = littleEndian(stream, value);
    if (type == 3) return std::to_string(littleEndian(stream, value + 4));
    if (type == 30) return stream.substr(value + 8, littleEndian(stream, value + 4) - 1);
  }
  return "<none>";
}

msidb::Tables stagedTables() {
  std::string error;
  auto file = msidb::PackageFile::open(imageDir() + "/" + kPackageName, &error);
  msidb::Tables tables;
  EXPECT_TRUE(file && file->readTables(&tables, &error)) << error;
  return tables;
}

// The tables after the transform; empty with a test failure when it cannot
// be read or applied.
msidb::Tables transformed(const msidb::Tables& base, const msidb::CompoundStorage& transform,
                          uint32_t* codePage = nullptr) {
  msidb::TransformContent content;
  msidb::Tables tables = base;
  std::string error;
  if (!msiexec::readTransform(transform, base, &content, &error) ||
      !msiexec::applyTransform(content, &tables, &error)) {
    ADD_FAILURE() << error;
    return {};
  }
  if (codePage) *codePage = content.codePage;
  return tables;
}

std::string cell(const msidb::Tables& tables, const std::string& table, const std::string& key,
                 int column) {
  auto found = tables.find(table);
  if (found == tables.end()) return "<no table>";
  for (const msidb::Row& row : found->second.rows) {
    if (row[0].text == key) return row[static_cast<std::size_t>(column)].text;
  }
  return "<no row>";
}

TEST(StagedTransformsTest, ThePackageCarriesAnInstanceTransformForEverySlot) {
  std::string error;
  auto package = msidb::CompoundStorage::openFile(imageDir() + "/" + kPackageName, &error);
  ASSERT_TRUE(package) << error;
  std::set<std::string> storages;
  for (const auto& entry : package->entries()) {
    if (entry.isStorage) storages.insert(entry.name);
  }
  std::set<std::string> expected;
  for (uint32_t slot = kFirstInstance; slot <= kLastInstance; ++slot) {
    expected.insert("inst" + std::to_string(slot) + ".mst");
  }
  EXPECT_EQ(storages, expected);

  const msidb::Tables base = stagedTables();
  const std::string baseCode = cell(base, "Property", "ProductCode", 1);
  const msidb::Table& components = base.at("Component");
  std::set<std::string> componentCodes;
  for (const msidb::Row& row : components.rows) componentCodes.insert(row[1].text);
  for (uint32_t slot = kFirstInstance; slot <= kLastInstance; ++slot) {
    SCOPED_TRACE(slot);
    auto transform = package->storage("inst" + std::to_string(slot) + ".mst", &error);
    ASSERT_TRUE(transform) << error;
    EXPECT_EQ(summaryProperty(*transform, kCharCount), "0");
    const msidb::Tables tables = transformed(base, *transform);
    char code[kProductCodeSize] = {};
    MakeInstanceProductCode(baseCode.c_str(), slot, code);
    EXPECT_EQ(cell(tables, "Property", "ProductCode", 1), code);
    // Every component of the package installs below INSTALLDIR, so every
    // one has a code of its own in every slot.
    for (const msidb::Row& row : components.rows) {
      EXPECT_TRUE(componentCodes.insert(cell(tables, "Component", row[0].text, 1)).second)
          << row[0].text;
    }
  }
}

TEST(StagedTransformsTest, EveryLanguageOfTheLauncherHasItsTransformInItsCodePage) {
  std::map<std::string, uint32_t> codePages;  // by locale, lower case
  std::istringstream list(KV7_LANGUAGE_CODE_PAGES);
  for (std::string entry; list >> entry;) {
    std::string locale = entry.substr(0, entry.find(':'));
    for (char& c : locale) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    codePages[locale] = static_cast<uint32_t>(std::stoul(entry.substr(entry.find(":CP") + 3)));
  }
  const msidb::Tables base = stagedTables();
  const std::string englishName = cell(base, "Property", "ProductName", 1);
  for (const LanguageRow& language : kLanguageTable) {
    SCOPED_TRACE(language.lcid);
    std::string error;
    auto file = msidb::CompoundStorage::openFile(imageDir() + "/" + language.lcid + ".mst", &error);
    ASSERT_TRUE(file) << error;
    EXPECT_EQ(summaryProperty(*file, kCharCount), "0");
    EXPECT_EQ(summaryProperty(*file, kLastSavedBy), std::string("x64;") + language.lcid);
    uint32_t codePage = 0;
    const msidb::Tables tables = transformed(base, *file, &codePage);
    std::string locale = language.localeDir;
    for (char& c : locale) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    EXPECT_EQ(codePage, codePages[locale]);
    EXPECT_EQ(cell(tables, "Property", "ProductLanguage", 1), language.lcid);
    const std::string name = cell(tables, "Property", "ProductName", 1);
    EXPECT_EQ(name == englishName, std::string(language.lcid) == "1033") << name;
    for (const msidb::Row& row : tables.at("LaunchCondition").rows) {
      EXPECT_EQ(row[1].text == cell(base, "LaunchCondition", row[0].text, 1),
                std::string(language.lcid) == "1033")
          << row[1].text;
    }
  }
}

}  // namespace
