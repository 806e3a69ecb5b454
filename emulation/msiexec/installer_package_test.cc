#include "emulation/msiexec/installer_package.h"

#include <gtest/gtest.h>

#include <fstream>
#include <sstream>

#include "emulation/msiexec/cabinet.h"
#include "emulation/testing/test_machine.h"

namespace msiexec {
namespace {

std::string stagedPackage() {
  return emulated::TestMachine::imageDir() + "/QOR Telvar Driver for ODBC, CLI, and .NET.msi";
}

std::string readSource(const std::string& relative) {
  std::ifstream in(std::string(KV7_PACKAGE_FILES_DIR) + "/" + relative, std::ios::binary);
  std::stringstream content;
  content << in.rdbuf();
  return content.str();
}

class InstallerPackageTest : public ::testing::Test {
 protected:
  void SetUp() override {
    std::string error;
    package = InstallerPackage::open(stagedPackage(), &error);
    ASSERT_NE(package, nullptr) << error;
    ASSERT_TRUE(package->readTables(&tables, &error)) << error;
  }
  std::unique_ptr<InstallerPackage> package;
  PackageTables tables;
};

TEST_F(InstallerPackageTest, ReadsTheDriverPackagesIdentityAndLayout) {
  EXPECT_EQ(tables.properties["ProductCode"], "{5C1E7A20-3B9D-4F62-A8D1-0E4B7C93F2A6}");
  EXPECT_EQ(tables.properties["ProductName"], "QOR Telvar Driver Package");
  EXPECT_FALSE(tables.properties["ProductVersion"].empty());

  std::map<std::string, std::string> parents;
  for (const DirectoryRow& row : tables.directories) parents[row.directory] = row.parent;
  EXPECT_EQ(parents["CFGDIR"], "INSTALLDIR");
  EXPECT_EQ(parents["INSTALLDIR"], "QORFOLDER");

  bool levelFile = false;
  for (const FileRow& file : tables.files) {
    if (file.fileName.find("kv7kvdriver.lvl") != std::string::npos) levelFile = true;
  }
  EXPECT_TRUE(levelFile);

  // Registry values keep their formatted fields, and a missing name reads
  // as null.
  bool copyPath = false;
  for (const RegistryRow& row : tables.registry) {
    if (row.name == "KV7 Path Name") {
      copyPath = true;
      EXPECT_EQ(row.root, 2);
      EXPECT_NE(row.key.find("[KV7_COPY_NAME]"), std::string::npos) << row.key;
      EXPECT_EQ(row.value, "[KV7_COPY_PATH]");
      EXPECT_FALSE(row.valueNull);
    }
  }
  EXPECT_TRUE(copyPath);

  // The sequence is in the order of its numbers.
  ASSERT_FALSE(tables.installExecuteSequence.empty());
  for (std::size_t i = 1; i < tables.installExecuteSequence.size(); ++i) {
    EXPECT_LE(tables.installExecuteSequence[i - 1].sequence,
              tables.installExecuteSequence[i].sequence);
  }
  EXPECT_FALSE(tables.appSearch.empty());
  EXPECT_EQ(tables.appSearch.size(), tables.regLocators.size());
}

TEST_F(InstallerPackageTest, ItsCabinetHoldsTheSourceFiles) {
  ASSERT_EQ(tables.media.size(), 1u);
  ASSERT_EQ(tables.media[0].cabinet.substr(0, 1), "#");
  std::string cabinet;
  std::string error;
  ASSERT_TRUE(package->readStream(tables.media[0].cabinet.substr(1), &cabinet, &error)) << error;
  std::map<std::string, std::string> files;
  ASSERT_TRUE(extractCabinet(cabinet, &files, &error)) << error;
  EXPECT_EQ(files["kv7kvdriver.lvl"], readSource("cfg/kv7kvdriver.lvl"));
  EXPECT_EQ(files["kv7drv.dll"], readSource("bin/kv7drv.dll"));
  EXPECT_FALSE(files["kv7drv.dll"].empty());
}

TEST_F(InstallerPackageTest, ReadsBinaryRowsAndNamesWhatIsMissing) {
  std::string script;
  std::string error;
  ASSERT_TRUE(package->readBinary("CopyPathScript", &script, &error)) << error;
  EXPECT_NE(script.find("function kv7SetCopyPath("), std::string::npos);
  EXPECT_FALSE(package->readBinary("NoSuchRow", &script, &error));
  EXPECT_NE(error.find("NoSuchRow"), std::string::npos) << error;
  EXPECT_FALSE(package->readStream("nosuch.cab", &script, &error));
}

TEST(InstallerPackageOpenTest, RefusesFilesThatAreNoPackage) {
  emulated::TestMachine machine;
  machine.writeFile("C:\\not.msi", "this is no installer package");
  std::string error;
  EXPECT_EQ(InstallerPackage::open(machine.hostPath("C:\\not.msi"), &error), nullptr);
  EXPECT_FALSE(error.empty());
  EXPECT_EQ(InstallerPackage::open(machine.dir() + "/missing.msi", &error), nullptr);
}

}  // namespace
}  // namespace msiexec
