#include <gtest/gtest.h>

#include <nlohmann/json.hpp>
#include <string>

#include "emulation/testing/test_machine.h"
#include "installed/product_catalogue.h"
#include "installed/test_registry.h"

namespace {

using test_registry::copy;
using test_registry::installerProduct;
using test_registry::key;
using test_registry::levelFile;
using test_registry::value;

const std::string kCopies = "SOFTWARE\\QOR\\KV7\\InstalledCopies\\";

class Kv7InventoryTest : public ::testing::Test {
 protected:
  emulated::TestMachine::ProgramRun inventory(const std::vector<std::string>& args = {}) {
    return machine.run(emulated::TestMachine::imageDir() + "/kv7inventory", args);
  }

  emulated::TestMachine machine;
};

TEST_F(Kv7InventoryTest, ShowsATwoCopyMachineAsSetupSeesIt) {
  const std::string ese = ProductCatalogue::current().findByShortId("ese")->productCode;
  machine.writeFile(levelFile("C:\\QOR\\Main", "kvdriver"), "1");
  machine.writeFile(levelFile("C:\\QOR\\Main", "ese"), "1");
  machine.writeFile(levelFile("D:\\Drivers\\Second", "kvdriver"), "1");
  machine.writeRegistry(
      copy("KV7MAIN", "C:\\QOR\\Main\\") +
      test_registry::version(kCopies + "KV7MAIN", "11", "5", "600", "2", "SP2") +
      copy("DRIVER2", "D:\\Drivers\\Second") +
      test_registry::version(kCopies + "DRIVER2", "11", "5", "900", "0", "") +
      key(kCopies + "HALFGONE") + value("Version", "11") +
      installerProduct("{5C1E7A20-3B9D-4F62-A8D1-0E4B7C93F2A6}", "C:\\QOR\\Main\\") +
      installerProduct(ese, "c:\\qor\\main") +
      installerProduct("{5C1E7A20-3B9D-4F62-A8D3-0E4B7C93F2A6}", "D:\\Drivers\\Second"));

  auto run = inventory();
  EXPECT_EQ(run.exitCode, 0u) << run.err;
  EXPECT_EQ(run.out,
            "Installed copies (default registry view): 2\n"
            "\n"
            "Copy 1 of 2: DRIVER2\n"
            "  Path:               D:\\Drivers\\Second\n"
            "  Legacy copy:        no\n"
            "  Version:            11\n"
            "  Release:            5\n"
            "  Modification:       900\n"
            "  Fix level:          0\n"
            "  Service level:      \n"
            "  Product generation: 0x1 (first generation)\n"
            "  Products:           1\n"
            "    PROD_CLI     kvdriver   {5C1E7A20-3B9D-4F62-A8D3-0E4B7C93F2A6}\n"
            "\n"
            "Copy 2 of 2: KV7MAIN\n"
            "  Path:               C:\\QOR\\Main\n"
            "  Legacy copy:        no\n"
            "  Version:            11\n"
            "  Release:            5\n"
            "  Modification:       600\n"
            "  Fix level:          2\n"
            "  Service level:      SP2\n"
            "  Product generation: 0x1 (first generation)\n"
            "  Products:           2\n"
            "    PROD_ESE     ese        " +
                ese +
                "\n"
                "    PROD_CLI     kvdriver   {5C1E7A20-3B9D-4F62-A8D1-0E4B7C93F2A6}\n"
                "\n"
                "Skipped invalid copies: 1\n"
                "  HALFGONE\n");
}

// The JSON document holds what the text report shows and more: each product's
// install state and each copy's instances, the reason a copy was skipped, and
// registry texts turned from code page 1252 into Unicode.
TEST_F(Kv7InventoryTest, JsonDocumentHoldsEveryCopyAndEverySkippedEntry) {
  machine.writeFile(levelFile("C:\\QOR\\Main", "kvdriver"), "1");
  // Files are named in the machine's code page, the registry file is UTF-8.
  machine.writeFile(levelFile("D:\\Caf\xe9", "kvdriver"), "1");
  machine.writeRegistry(
      copy("KV7MAIN", "C:\\QOR\\Main") +
      test_registry::version(kCopies + "KV7MAIN", "11", "5", "600", "2", "SP2") +
      copy("CAFE", "D:\\Caf\xc3\xa9") + key(kCopies + "HALFGONE") +
      key("SOFTWARE\\QOR\\KV7\\Instances\\INST1") + value("Directory", "C:\\QOR\\Main\\INST1") +
      value("Copy", "KV7MAIN") +
      installerProduct("{5C1E7A20-3B9D-4F62-A8D1-0E4B7C93F2A6}", "C:\\QOR\\Main") +
      installerProduct("{5C1E7A20-3B9D-4F62-A8E0-0E4B7C93F2A6}", "D:\\Caf\xc3\xa9"));

  auto run = inventory({"--json"});
  EXPECT_EQ(run.exitCode, 0u) << run.err;
  for (char c : run.out) ASSERT_LT(static_cast<unsigned char>(c), 0x80) << "plain ASCII";
  EXPECT_EQ(nlohmann::json::parse(run.out), nlohmann::json::parse(R"({
    "schemaVersion": 1, "registryView": "default", "complete": true,
    "copies": [
      {"name": "CAFE", "path": "D:\\Caf\u00e9", "legacy": false,
       "version": {"version": 0, "release": 0, "modification": 0, "fixLevel": 0,
                   "serviceLevel": "", "readError": 2},
       "productGeneration": 1,
       "products": [{"name": "QOR Telvar Driver Package", "catalogueId": "PROD_CLI",
                     "shortId": "kvdriver", "productCode": "{5C1E7A20-3B9D-4F62-A8E0-0E4B7C93F2A6}",
                     "state": "installed", "installState": 5}],
       "instances": [], "instancesError": 0},
      {"name": "KV7MAIN", "path": "C:\\QOR\\Main", "legacy": false,
       "version": {"version": 11, "release": 5, "modification": 600, "fixLevel": 2,
                   "serviceLevel": "SP2", "readError": 0},
       "productGeneration": 1,
       "products": [{"name": "QOR Telvar Driver Package", "catalogueId": "PROD_CLI",
                     "shortId": "kvdriver", "productCode": "{5C1E7A20-3B9D-4F62-A8D1-0E4B7C93F2A6}",
                     "state": "installed", "installState": 5}],
       "instances": [{"name": "INST1", "directory": "C:\\QOR\\Main\\INST1"}],
       "instancesError": 0}
    ],
    "skipped": [{"name": "HALFGONE", "reason": "unreadable",
                 "description": "the copy's registry key or its \"KV7 Path Name\" value cannot be read"}]
  })"));
}

TEST_F(Kv7InventoryTest, LegacyCopyAndTheThirtyTwoBitView) {
  machine.writeFile(levelFile("C:\\KV7V8", "ese"), "1");
  machine.writeRegistry(key("SOFTWARE\\QOR\\KV7\\CurrentVersion") + value("Version", "8") +
                        key("SOFTWARE\\QOR\\KV7") + value("KV7 Path Name", "C:\\KV7V8") +
                        key("SOFTWARE\\WOW6432Node\\QOR\\KV7\\InstalledCopies\\W32") +
                        value("KV7 Path Name", "C:\\W32") +
                        key("SOFTWARE\\WOW6432Node\\QOR\\KV7\\InstalledCopies\\W32\\Components"));
  auto run = inventory();
  EXPECT_EQ(run.exitCode, 0u) << run.err;
  EXPECT_NE(run.out.find("Copy 1 of 1: KV7V8\n"), std::string::npos) << run.out;
  EXPECT_NE(run.out.find("  Legacy copy:        yes\n"), std::string::npos) << run.out;
  // The legacy marker is the legacy copy's version key: its "Version" is
  // read, and the missing "Release" ends the read.
  EXPECT_NE(run.out.find("  Version values:     incomplete (registry error 2); setup takes those "
                         "not read as 0\n"
                         "  Version:            8\n"
                         "  Release:            0\n"),
            std::string::npos)
      << run.out;
  EXPECT_NE(run.out.find("  Product generation: 0x0 (no product found)\n  Products:           1\n"
                         "    PROD_ESE     ese        {"),
            std::string::npos)
      << run.out;

  auto run32 = inventory({"/32"});
  EXPECT_EQ(run32.exitCode, 0u) << run32.err;
  EXPECT_NE(run32.out.find("Installed copies (32-bit registry view): 1\n\nCopy 1 of 1: W32\n"),
            std::string::npos)
      << run32.out;
}

TEST_F(Kv7InventoryTest, UnreadableLegacyCopyIsReportedAsIncomplete) {
  machine.writeRegistry(key("SOFTWARE\\QOR\\KV7\\CurrentVersion") + value("Version", "8") +
                        copy("KV7MAIN", "C:\\QOR\\Main"));
  auto run = inventory();
  EXPECT_EQ(run.exitCode, 2u);
  EXPECT_EQ(run.out,
            "Installed copies (default registry view): 0\n"
            "\n"
            "Skipped invalid copies: 1\n"
            "  KV7V8\n"
            "\n"
            "The list of copies is incomplete: the legacy copy could not be read, so setup sees "
            "no copy at all.\n");
  auto json = inventory({"--json"});
  EXPECT_EQ(json.exitCode, 2u);
  auto document = nlohmann::json::parse(json.out);
  EXPECT_EQ(document["complete"], false);
  EXPECT_EQ(document["copies"].size(), 0u);
  EXPECT_EQ(document["skipped"][0]["reason"], "legacyUnreadable") << json.out;
}

TEST_F(Kv7InventoryTest, UsageAndUnknownArguments) {
  machine.writeRegistry("");
  auto help = inventory({"/?"});
  EXPECT_EQ(help.exitCode, 0u);
  EXPECT_EQ(help.out.rfind("Usage: kv7inventory [/32] [--json]\n", 0), 0u) << help.out;
  auto wrong = inventory({"/x"});
  EXPECT_EQ(wrong.exitCode, 1u);
  EXPECT_EQ(wrong.out, "");
  EXPECT_NE(wrong.err.find("unknown argument \"/x\""), std::string::npos) << wrong.err;
  auto empty = inventory();
  EXPECT_EQ(empty.exitCode, 0u);
  EXPECT_EQ(empty.out,
            "Installed copies (default registry view): 0\n\nSkipped invalid copies: 0\n");
}

}  // namespace
