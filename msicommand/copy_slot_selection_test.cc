#include "msicommand/copy_slot_selection.h"

#include <gtest/gtest.h>

#include <cctype>
#include <cstring>
#include <functional>
#include <string>
#include <vector>

#include "emulation/testing/test_machine.h"
#include "installed/product_catalogue.h"
#include "installed/test_registry.h"
#include "launcher/launcher_context.h"
#include "msicommand/driver_product.h"

namespace {

std::string slotCode(uint32_t slot) {
  char code[39] = {};
  MakeInstanceProductCode(kDriverProductCode, slot, code);
  return code;
}

std::string lower(std::string text) {
  for (char& c : text) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return text;
}

TEST(SlotTransformNameTest, NamesTheSlotOfAnInstanceProductCode) {
  struct Case {
    std::string code;
    std::size_t capacity;
    uint32_t result;
    const char* name;
  } cases[] = {
      {slotCode(1), 65, 0, "inst1.mst"},
      {lower(slotCode(3)), 65, 0, "inst3.mst"},  // product codes compare without case
      {slotCode(15), 65, 0, "inst15.mst"},
      {slotCode(15), 11, 0, "inst15.mst"},  // exactly fits with its terminator
      {slotCode(15), 10, 5006, ""},
      {kDriverProductCode, 65, 8118, ""},  // the base code belongs to no slot
      {"{00000000-0000-0000-0000-000000000000}", 65, 8118, ""},
  };
  for (const Case& c : cases) {
    char name[65] = {};
    EXPECT_EQ(slotTransformName(kDriverProductCode, c.code.c_str(), name, c.capacity), c.result)
        << c.code << " capacity " << c.capacity;
    EXPECT_STREQ(name, c.name) << c.code;
  }
}

TEST(DriverProductTest, FindsTheDriverRowByItsProductCode) {
  DriverProduct driver = findDriverProduct(kDriverProductCode);
  EXPECT_EQ(driver.catalogueId.view(), "PROD_CLI");
  EXPECT_EQ(driver.shortId.view(), "kvdriver");
  // A prefix of the code, in lower case, finds the same row.
  EXPECT_EQ(findDriverProduct("{5c1e7a20-3b9d").shortId.view(), "kvdriver");
  EXPECT_TRUE(findDriverProduct("{FFFFFFFF-").catalogueId.empty());
}

// The copies of a machine: each holds the driver under the given product code
// (none: a copy without the driver) and has the given modification level.
struct MachineCopy {
  std::string name;
  std::string code;
  uint32_t modification;
};

void describeMachine(emulated::TestMachine& machine, const std::vector<MachineCopy>& copies) {
  std::string registry;
  for (const MachineCopy& copy : copies) {
    const std::string path = "C:\\apps\\" + copy.name;
    registry +=
        test_registry::copy(copy.name, path) +
        test_registry::version(std::string("SOFTWARE\\QOR\\KV7\\InstalledCopies\\") + copy.name,
                               "11", "5", std::to_string(copy.modification), "0", "");
    machine.makeDirectory(path);
    if (copy.code.empty()) continue;
    registry += test_registry::installerProduct(copy.code, path + "\\");
    machine.writeFile(test_registry::levelFile(path, "kvdriver"), "11.5\n");
  }
  machine.writeRegistry(registry);
}

// A new copy by name, an instance copy by name, /o and the sixteen-copy
// limit are checked end to end with the commands they compose.
TEST(DetermineInstallTypeTest, FollowsTheNamedCopyOrItsPath) {
  const std::vector<MachineCopy> threeCopies = {
      {"SITEA", kDriverProductCode, 500}, {"SITEB", slotCode(4), 700}, {"PLAIN", "", 600}};
  const struct Case {
    const char* what;
    std::vector<MachineCopy> copies;
    std::function<void(LauncherContext&)> options;
    uint32_t result;
    InstallType type;
    std::string copyName, installPath;
    bool scanned;
  } cases[] = {
      {"no copy holds the driver: first copy, no scan",
       {{"PLAIN", "", 600}},
       [](LauncherContext& c) { c.copyName.assign("PLAIN"); },
       0,
       InstallTypeFirstCopy,
       "PLAIN",
       "",
       false},
      {"the name of a copy without the driver", threeCopies,
       [](LauncherContext& c) { c.copyName.assign("plain"); }, 0, InstallTypeNewCopy, "plain", "",
       false},
      {"the default copy by path takes its name", threeCopies,
       [](LauncherContext& c) { c.installPath.assign("c:\\APPS\\sitea"); }, 0,
       InstallTypeReinstallDefault, "SITEA", "c:\\APPS\\sitea", false},
      {"a path no qualifying copy has", threeCopies,
       [](LauncherContext& c) { c.installPath.assign("C:\\apps\\PLAIN"); }, 0, InstallTypeNewCopy,
       "", "C:\\apps\\PLAIN", false},
  };
  for (const Case& c : cases) {
    emulated::TestMachine machine;
    describeMachine(machine, c.copies);
    LauncherContext context;
    c.options(context);
    InstallType type = InstallTypeReinstallInstance;
    testing::internal::CaptureStdout();
    EXPECT_EQ(determineInstallType(context, kDriverProductCode, &type), c.result) << c.what;
    testing::internal::GetCapturedStdout();
    EXPECT_EQ(type, c.type) << c.what;
    EXPECT_EQ(context.copyName.view(), c.copyName) << c.what;
    EXPECT_EQ(context.installPath.view(), c.installPath) << c.what;
    EXPECT_EQ(context.copiesScanned != 0, c.scanned) << c.what;
  }
}

// A new copy takes the highest-numbered slot that no scanned copy holds (the
// end-to-end tests fill the slots; here the codes' letter case).
class SelectInstanceProductCodeTest : public ::testing::Test {
 protected:
  emulated::TestMachine machine_;
  LauncherContext context_;

  std::string select() {
    char out[39] = {};
    EXPECT_EQ(selectInstanceProductCode(context_, kDriverProductCode, out), 0u);
    return out;
  }
};

TEST_F(SelectInstanceProductCodeTest, NewCopyTakesTheHighestFreeSlot) {
  context_.newCopyRequested = 1;
  context_.copiesScanned = 1;  // the scan of this run found these copies
  context_.copyGuidList.append(kDriverProductCode);
  EXPECT_EQ(select(), slotCode(15));

  context_.copyGuidList.append(lower(slotCode(15)).c_str());
  context_.copyGuidList.append(slotCode(13).c_str());
  EXPECT_EQ(select(), slotCode(14));
}

// Composition asks for a code only for an instance copy: only this test
// reaches the plain answer.
TEST_F(SelectInstanceProductCodeTest, APlainRunAddressesTheBaseProductCode) {
  context_.copiesScanned = 1;
  EXPECT_EQ(select(), kDriverProductCode);
}

TEST_F(SelectInstanceProductCodeTest, ScansTheMachineOnlyOnce) {
  describeMachine(machine_, {{"SITEA", kDriverProductCode, 500}});
  context_.newCopyRequested = 1;
  EXPECT_EQ(select(), slotCode(15));
  EXPECT_EQ(context_.copiesScanned, 1);
  EXPECT_EQ(context_.copyGuidList.count, 1u);

  // A copy that appears after the scan changes nothing: this run goes on
  // with what its one scan found.
  describeMachine(machine_, {{"SITEA", kDriverProductCode, 500}, {"SITEB", slotCode(15), 700}});
  EXPECT_EQ(collectInstanceProductCodes(context_, kDriverProductCode), 0u);
  EXPECT_EQ(context_.copyGuidList.count, 1u);
  EXPECT_EQ(select(), slotCode(15));
}

}  // namespace
