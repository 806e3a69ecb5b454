#include "installed/installed_prod_list.h"

#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

#include "emulation/testing/test_machine.h"
#include "installed/install_copy.h"
#include "installed/product_catalogue.h"
#include "installed/result_codes.h"
#include "installed/test_registry.h"

namespace {

using test_registry::installerProduct;
using test_registry::levelFile;

constexpr const char* kDriverCode = "{5C1E7A20-3B9D-4F62-A8D1-0E4B7C93F2A6}";
constexpr const char* kCopyPath = "C:\\QOR\\K1";
const std::string kUninstall = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\";

// What FindInstalledProductCode reports: the generation and the code it gives.
struct Found {
  uint32_t generation;
  std::string code;
};
Found find(const char* shortId, const std::string& copyPath = kCopyPath, bool legacy = false,
           bool use32BitView = false) {
  char code[kProductCodeSize] = "";
  const uint32_t generation =
      FindInstalledProductCode(shortId, copyPath.c_str(), code, legacy, use32BitView);
  return {generation, code};
}

std::string instanceCode(const char* base, uint32_t n) {
  char out[kProductCodeSize] = "";
  EXPECT_EQ(MakeInstanceProductCode(base, n, out), 0u);
  return out;
}

const ProductRow& currentRow(const char* shortId) {
  const ProductRow* row = ProductCatalogue::current().findByShortId(shortId);
  EXPECT_NE(row, nullptr) << shortId;
  return *row;
}

std::vector<std::string> shortIds(InstalledProdList& list) {
  std::vector<std::string> ids;
  InstalledProd* product = list.First();
  for (uint32_t i = 0; i < list.count() && product != nullptr; ++i) {
    ids.push_back(product->info()->shortId.c_str());
    product = list.Next();
  }
  return ids;
}

class InstalledProductsTest : public ::testing::Test {
 protected:
  // A copy KV7COPY1 at kCopyPath with the given extra registry text.
  void writeCopy(const std::string& extra) {
    machine.writeRegistry(test_registry::copy("KV7COPY1", kCopyPath) + extra);
  }
  void addLevelFile(const char* shortId, const char* copyPath = kCopyPath) {
    machine.writeFile(levelFile(copyPath, shortId), "1\n");
  }

  emulated::TestMachine machine;
};

TEST_F(InstalledProductsTest, LevelFileDecidesWhetherInstallerIsAsked) {
  writeCopy(installerProduct(kDriverCode, kCopyPath));
  EXPECT_EQ(find("kvdriver").generation, kGenerationNone);
  EXPECT_EQ(find("kvdriver").code, "");
  InstallCopy withoutLevelFile("KV7COPY1", false);
  InstalledProdList none(&withoutLevelFile);
  EXPECT_EQ(none.count(), 0u);
  EXPECT_EQ(withoutLevelFile.GetProductGeneration(), 0u);

  addLevelFile("kvdriver");
  EXPECT_EQ(find("kvdriver").generation, kGenerationFirst);
  EXPECT_EQ(find("kvdriver").code, kDriverCode);
  // The copy path is compared as given; copies hand theirs over without the
  // trailing backslash.
  EXPECT_EQ(find("kvdriver", "C:\\QOR\\K1\\").generation, kGenerationNone)
      << "the install location is compared with the copy path as given";
}

TEST_F(InstalledProductsTest, CopyWithAnEmptyPathHoldsNothing) {
  // An installer product without a location and a level file at the root.
  machine.writeRegistry(test_registry::copy("NOPATH", "") +
                        test_registry::key(kUninstall + kDriverCode) +
                        "\"WindowsInstaller\"=dword:00000001\n");
  addLevelFile("kvdriver", "C:");
  // With the current directory on C:, "\\cfg" would name that level file.
  const std::filesystem::path previous = std::filesystem::current_path();
  std::filesystem::current_path(machine.hostPath("C:\\"));
  EXPECT_EQ(find("kvdriver", "C:").generation, kGenerationNone);
  EXPECT_EQ(find("kvdriver", "").generation, kGenerationNone);
  InstallCopy noPath("NOPATH", false);
  ASSERT_EQ(noPath.status(), kCopyValid);
  EXPECT_EQ(noPath.ProductCount(), 0u);
  std::filesystem::current_path(previous);
}

TEST_F(InstalledProductsTest, DriverInstalledAsInstanceThreeIsFoundUnderThatCode) {
  const std::string instance3 = instanceCode(kDriverCode, 3);
  writeCopy(installerProduct(instance3, kCopyPath));
  addLevelFile("kvdriver");

  InstallCopy copy("KV7COPY1", false);
  InstalledProdList* products = nullptr;
  ASSERT_EQ(copy.GetProducts(&products), 0u);
  EXPECT_EQ(copy.GetProductGeneration(), kGenerationFirst);
  EXPECT_TRUE(products->HasProduct("PROD_CLI"));
  EXPECT_TRUE(products->HasProduct("prod_cli"));
  EXPECT_TRUE(products->HasProductShortId("KVDRIVER"));
  char code[kProductCodeSize];
  ASSERT_EQ(products->GetInstanceProductCode("kvdriver", code, sizeof code), 0u);
  EXPECT_EQ(std::string(code), instance3);
  EXPECT_EQ(products->GetInstanceProductCode("kvdriver", code, sizeof code - 1),
            RC_BUFFER_TOO_SMALL);
  EXPECT_EQ(products->GetInstanceProductCode("kvdriver", nullptr, sizeof code),
            RC_MISSING_ARGUMENT);
  EXPECT_EQ(products->GetInstanceProductCode("ese", code, sizeof code), RC_NOT_FOUND);

  // The list is built once and belongs to the copy.
  InstalledProdList* again = nullptr;
  ASSERT_EQ(copy.GetProducts(&again), 0u);
  EXPECT_EQ(again, products);
}

TEST_F(InstalledProductsTest, InstallLocationMatchesWithoutItsTrailingBackslashAndCase) {
  const struct {
    const char* location;
    bool matches;
  } cases[] = {{"C:\\QOR\\K1\\", true}, {"c:\\qor\\k1", true},       {"C:\\QOR\\K1\\\\", false},
               {"C:\\QOR\\K", false},   {"C:\\QOR\\K1\\sub", false}, {"", false}};
  for (const auto& c : cases) {
    writeCopy(installerProduct(kDriverCode, c.location));
    addLevelFile("kvdriver");
    const Found found = find("kvdriver");
    EXPECT_EQ(found.generation, c.matches ? kGenerationFirst : kGenerationNone) << c.location;
    EXPECT_EQ(found.code, c.matches ? kDriverCode : "") << c.location;
  }
}

TEST_F(InstalledProductsTest, InstallerMustReportTheProductInstalled) {
  writeCopy(test_registry::key(kUninstall + kDriverCode) +
            test_registry::value("InstallLocation", kCopyPath));
  addLevelFile("kvdriver");
  EXPECT_EQ(find("kvdriver").generation, kGenerationNone);
}

TEST_F(InstalledProductsTest, LaterGenerationsAndTheThirtyTwoBitViewUseTheirOwnColumns) {
  // A row with all three generations.
  const ProductRow* row = nullptr;
  for (const ProductRow& r : ProductCatalogue::current()) {
    if (r.productCodeGen2[0] != '\0' && r.productCodeGen3[0] != '\0') row = &r;
  }
  ASSERT_NE(row, nullptr);
  const struct {
    const char* code;
    bool use32BitView;
    uint32_t generation;
  } cases[] = {{row->productCode, false, kGenerationFirst},
               {row->productCodeGen2, false, kGenerationSecond},
               {row->productCodeGen3, false, kGenerationThird},
               {row->productCode32, true, kGenerationFirst},
               {row->productCodeGen2_32, true, kGenerationSecond},
               {row->productCodeGen3_32, true, kGenerationThird},
               {row->productCode32, false, kGenerationNone},
               {row->productCodeGen3, true, kGenerationNone}};
  for (const auto& c : cases) {
    const std::string installed = instanceCode(c.code, 15);
    writeCopy(installerProduct(installed, kCopyPath));
    addLevelFile(row->shortId);
    const Found found = find(row->shortId, kCopyPath, false, c.use32BitView);
    EXPECT_EQ(found.generation, c.generation) << c.code << (c.use32BitView ? " 32-bit view" : "");
    EXPECT_EQ(found.code, c.generation != kGenerationNone ? installed : "");
  }
}

TEST_F(InstalledProductsTest, CopyKeepsTheGenerationOfTheLastProductFound) {
  const ProductRow* twoGenerations = nullptr;
  for (const ProductRow& r : ProductCatalogue::current()) {
    if (r.productCodeGen2[0] != '\0' && twoGenerations == nullptr) twoGenerations = &r;
  }
  ASSERT_NE(twoGenerations, nullptr);
  writeCopy(installerProduct(twoGenerations->productCodeGen2, kCopyPath) +
            installerProduct(kDriverCode, kCopyPath));
  addLevelFile(twoGenerations->shortId);
  addLevelFile("kvdriver");
  addLevelFile("osl");  // a level file without an installer product
  InstallCopy copy("KV7COPY1", false);
  InstalledProdList list(&copy);
  EXPECT_EQ(shortIds(list), (std::vector<std::string>{twoGenerations->shortId, "kvdriver"}));
  EXPECT_EQ(copy.GetProductGeneration(), kGenerationFirst);

  // Only the second-generation product: the copy says so.
  writeCopy(installerProduct(twoGenerations->productCodeGen2, kCopyPath));
  InstallCopy secondOnly("KV7COPY1", false);
  EXPECT_EQ(secondOnly.ProductCount(), 1u);
  EXPECT_EQ(secondOnly.GetProductGeneration(), kGenerationSecond);
}

TEST_F(InstalledProductsTest, CountsByCatalogueIdAndProductClass) {
  std::string reg;
  for (const char* id : {"ese", "rtc", "adcl", "mre2", "kvdriver"}) {
    reg += installerProduct(currentRow(id).productCode, kCopyPath);
    addLevelFile(id);
  }
  writeCopy(reg);
  InstallCopy copy("KV7COPY1", false);
  EXPECT_EQ(copy.ProductCount(), 5u);
  EXPECT_EQ(copy.DistinctProductCount(), 5u);
  uint32_t byClass[5] = {};
  for (const char* id : {"ese", "rtc", "adcl", "mre2", "kvdriver"}) {
    ++byClass[currentRow(id).classAndFlag.productClass];
  }
  for (uint32_t productClass = 0; productClass < 4; ++productClass) {
    EXPECT_EQ(copy.ProductClassCount(productClass), byClass[productClass]) << productClass;
  }
  EXPECT_TRUE(copy.HasProduct("PROD_MRE"));
  EXPECT_TRUE(copy.HasProductShortId("mre2"));
  EXPECT_FALSE(copy.HasProduct("PROD_WLW"));

  // "mre" asks for the mirror engine's package of this release.
  InstalledProdList* products = nullptr;
  ASSERT_EQ(copy.GetProducts(&products), 0u);
  char code[kProductCodeSize];
  ASSERT_EQ(products->GetInstanceProductCode("mre", code, sizeof code), 0u);
  EXPECT_STREQ(code, currentRow("mre2").productCode);
}

class LegacyProductsTest : public InstalledProductsTest {
 protected:
  void SetUp() override {
    machine.writeRegistry(test_registry::key("SOFTWARE\\QOR\\KV7") +
                          test_registry::value("KV7 Path Name", "C:\\KV7V8"));
  }
  const ProductRow& legacyRow(const char* shortId) {
    const ProductRow* row = ProductCatalogue::legacy().findByShortId(shortId);
    EXPECT_NE(row, nullptr) << shortId;
    return *row;
  }
  // Short ids of the legacy rows with that catalogue id, in table order.
  std::vector<const char*> rowsOf(const char* catalogueId) {
    std::vector<const char*> ids;
    for (const ProductRow& r : ProductCatalogue::legacy()) {
      if (std::strcmp(r.catalogueId, catalogueId) == 0) ids.push_back(r.shortId);
    }
    return ids;
  }
};

TEST_F(LegacyProductsTest, LevelFileAloneMarksAProduct) {
  addLevelFile("ese", "C:\\KV7V8");
  addLevelFile("qdx", "C:\\KV7V8");
  InstallCopy legacy("KV7V8", false);
  legacy.SetProductGeneration(0x42);
  InstalledProdList list(&legacy);
  EXPECT_EQ(shortIds(list), (std::vector<std::string>{"ese"}));
  EXPECT_EQ(legacy.GetProductGeneration(), 0x42u) << "a legacy copy keeps its generation";
  char code[kProductCodeSize];
  ASSERT_EQ(list.GetInstanceProductCode("ese", code, sizeof code), 0u);
  EXPECT_STREQ(code, legacyRow("ese").productCode);
  // Legacy products are named after their release 8 package.
  char package[255];
  ASSERT_EQ(list.First()->GetPackageFileName(package, sizeof package), 0u);
  EXPECT_EQ(std::string(package), std::string(legacyRow("ese").productName) + ".msi");

  EXPECT_EQ(find("qdx", "C:\\KV7V8", true).generation, kGenerationNone);
  addLevelFile("zzz", "C:\\KV7V8");
  EXPECT_EQ(find("zzz", "C:\\KV7V8", true).generation, kGenerationLegacy);
  EXPECT_EQ(find("zzz", "C:\\KV7V8", true).code, "");
}

TEST_F(LegacyProductsTest, EditionsWithSeveralPackagesCountOnceByTheirFirstRow) {
  const std::vector<const char*> mirror = rowsOf("PROD_MRE");
  const std::vector<const char*> bridge = rowsOf("PROD_TBE");
  ASSERT_EQ(mirror.size(), 2u);
  ASSERT_EQ(bridge.size(), 3u);
  for (const char* id : mirror) addLevelFile(id, "C:\\KV7V8");
  addLevelFile(bridge[1], "C:\\KV7V8");
  addLevelFile(bridge[2], "C:\\KV7V8");
  InstallCopy legacy("KV7V8", false);
  InstalledProdList list(&legacy);
  EXPECT_EQ(shortIds(list), (std::vector<std::string>{mirror[0], bridge[1]}));
  EXPECT_EQ(list.DistinctCatalogueIdCount(), 2u);
}

TEST_F(InstalledProductsTest, ProductRecordsComeFromTheCatalogue) {
  InstallCopy copy("", false);
  InstalledProd driver("KVDRIVER", &copy, "{5C1E7A20-3B9D-4F62-A8D2-0E4B7C93F2A6}-and-more");
  ASSERT_FALSE(driver.failed());
  EXPECT_STREQ(driver.instanceCode(), "{5C1E7A20-3B9D-4F62-A8D2-0E4B7C93F2A6}");
  char text[255];
  ASSERT_EQ(driver.GetPackageFileName(text, sizeof text), 0u);
  EXPECT_STREQ(text, "QOR Telvar Driver Package.msi");
  EXPECT_EQ(driver.GetCatalogueId(text, 8), RC_BUFFER_TOO_SMALL);
  EXPECT_EQ(driver.GetProductBits(), 0x08000000u);
  EXPECT_EQ(driver.GetProductClass(), 4u);
  EXPECT_EQ(driver.GetFlag(), 1u);

  EXPECT_EQ(driver.LoadInfo("nosuch"), 0u);
  EXPECT_EQ(driver.GetProductNumber(), 13u);
  EXPECT_EQ(driver.LoadInfo("ese"), 1u);
  ASSERT_EQ(driver.GetShortId(text, sizeof text), 0u);
  EXPECT_STREQ(text, "ese");

  InstalledProd unknown("nosuch", &copy, nullptr);
  EXPECT_TRUE(unknown.failed());
  EXPECT_EQ(unknown.GetProductName(text, sizeof text), RC_FAILED);
  EXPECT_EQ(unknown.GetProductBits(), 0u);
  EXPECT_EQ(unknown.GetInstanceCode(text, sizeof text), RC_FAILED);
  InstalledProd nullId(nullptr, &copy, kDriverCode);
  EXPECT_TRUE(nullId.failed());
}

TEST_F(InstalledProductsTest, LocalPackageAndProductVersionOfAnInstalledProduct) {
  writeCopy(installerProduct(kDriverCode, kCopyPath) +
            test_registry::version(
                "SOFTWARE\\QOR\\KV7\\InstalledCopies\\KV7COPY1\\QOR Telvar Driver Package", "11",
                "5", "900", "1", "DP1"));
  addLevelFile("kvdriver");
  InstallCopy copy("KV7COPY1", false);
  InstalledProdList* products = nullptr;
  ASSERT_EQ(copy.GetProducts(&products), 0u);
  ASSERT_EQ(products->count(), 1u);
  InstalledProd* driver = products->First();
  char package[261];
  ASSERT_EQ(driver->GetLocalPackage(package, sizeof package), 0u);
  EXPECT_EQ(std::string(package), std::string("C:\\Windows\\Installer\\") + kDriverCode + ".msi");
  EXPECT_EQ(driver->GetLocalPackage(package, 10), RC_FAILED);
  std::unique_ptr<CopyVersion> version;
  ASSERT_EQ(driver->GetProductVersion(&version), 0u);
  EXPECT_EQ(version->modification, 900u);
  EXPECT_STREQ(version->serviceLevel, "DP1");
}

TEST_F(InstalledProductsTest, LevelFileNamesOfTwoHundredFiftySixCharactersAreNotLookedFor) {
  // "\cfg\kv7kvdriver.lvl" adds 20 characters to the copy path.
  const std::string path = "C:\\" + std::string(256 - 20 - 3, 'p');
  ASSERT_EQ(levelFile(path, "kvdriver").size(), 256u);
  machine.writeFile(levelFile(path, "kvdriver"), "1");
  machine.writeRegistry(installerProduct(kDriverCode, path));
  EXPECT_EQ(find("kvdriver", path).generation, kGenerationNone);
  const std::string shorter = path.substr(0, path.size() - 1);
  machine.writeFile(levelFile(shorter, "kvdriver"), "1");
  machine.writeRegistry(installerProduct(kDriverCode, shorter));
  EXPECT_EQ(find("kvdriver", shorter).generation, kGenerationFirst);
}

}  // namespace
