#include "msicommand/copy_slot_selection.h"

#include <gtest/gtest.h>

#include <cctype>
#include <cstring>
#include <string>

#include "installed/product_catalogue.h"
#include "launcher/launcher_context.h"
#include "msicommand/driver_product.h"
#include "platform/emulated/test_machine.h"

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

// A new copy takes the highest-numbered slot that no scanned copy holds.
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

TEST_F(SelectInstanceProductCodeTest, NoFreeSlotLeavesTheCodeEmpty) {
  context_.newCopyRequested = 1;
  context_.copiesScanned = 1;
  for (uint32_t slot = 1; slot <= 15; ++slot) context_.copyGuidList.append(slotCode(slot).c_str());
  EXPECT_EQ(select(), "");
}

TEST_F(SelectInstanceProductCodeTest, APlainRunAddressesTheBaseProductCode) {
  context_.copiesScanned = 1;
  EXPECT_EQ(select(), kDriverProductCode);
}

TEST_F(SelectInstanceProductCodeTest, ScansTheMachineOnlyOnce) {
  // An empty machine: the scan finds nothing and remembers that it ran.
  context_.newCopyRequested = 1;
  EXPECT_EQ(select(), slotCode(15));
  EXPECT_EQ(context_.copiesScanned, 1);
  EXPECT_EQ(context_.copyGuidList.count, 0u);
  EXPECT_EQ(collectInstanceProductCodes(context_, kDriverProductCode), 0u);
}

}  // namespace
