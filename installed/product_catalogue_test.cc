#include "installed/product_catalogue.h"

#include <gtest/gtest.h>

#include <cstring>
#include <set>
#include <string>

#include "base/ascii.h"
#include "installed/result_codes.h"

namespace {

bool isBracedGuid(const char* text) {
  if (text == nullptr || std::strlen(text) != 38 || text[0] != '{' || text[37] != '}') {
    return false;
  }
  for (int i = 1; i < 37; ++i) {
    bool dash = i == 9 || i == 14 || i == 19 || i == 24;
    if (dash ? text[i] != '-' : !ascii::isXDigit(text[i])) return false;
  }
  return true;
}

TEST(ProductCatalogue, CurrentRowsAreCompleteAndDistinct) {
  std::set<std::string> shortIds, codes;
  for (const ProductRow& row : ProductCatalogue::current()) {
    SCOPED_TRACE(row.shortId);
    EXPECT_EQ(std::strncmp(row.catalogueId, "PROD_", 5), 0);
    EXPECT_TRUE(shortIds.insert(row.shortId).second);
    EXPECT_TRUE(isBracedGuid(row.productCode));
    EXPECT_TRUE(isBracedGuid(row.productCode32));
    ASSERT_NE(row.packageFileName, nullptr);
    EXPECT_LE(row.classAndFlag.productClass, 4u);
    for (const char* code : {row.productCode, row.productCode32, row.productCodeGen2,
                             row.productCodeGen2_32, row.productCodeGen3, row.productCodeGen3_32}) {
      ASSERT_NE(code, nullptr);
      if (code[0] == '\0') continue;
      EXPECT_TRUE(isBracedGuid(code)) << code;
      EXPECT_TRUE(codes.insert(code).second) << code;
    }
    // A later generation's two views come as a pair.
    EXPECT_EQ(row.productCodeGen2[0] == '\0', row.productCodeGen2_32[0] == '\0');
    EXPECT_EQ(row.productCodeGen3[0] == '\0', row.productCodeGen3_32[0] == '\0');
    EXPECT_EQ(row.reserved, 0u);
  }
  const ProductRow* mirror = ProductCatalogue::current().findByShortId("mre2");
  ASSERT_NE(mirror, nullptr);
  EXPECT_STREQ(mirror->catalogueId, "PROD_MRE");
  EXPECT_EQ(ProductCatalogue::current().findByShortId(nullptr), nullptr);
  EXPECT_EQ(ProductCatalogue::current().findByShortId("nosuch"), nullptr);
}

TEST(ProductCatalogue, LegacyRowsFillOnlyTheirFirstEightColumns) {
  const ProductTable& legacy = ProductCatalogue::legacy();
  ASSERT_EQ(legacy.count, 27u);
  EXPECT_NE(legacy.findByShortId("qdx"), nullptr);
  std::set<std::string> shortIds;
  for (const ProductRow& row : legacy) {
    SCOPED_TRACE(row.shortId);
    EXPECT_TRUE(shortIds.insert(row.shortId).second);
    ASSERT_NE(row.productName, nullptr);
    ASSERT_NE(row.productWord, nullptr);
    if (std::strcmp(row.shortId, "qdx") != 0) {
      EXPECT_TRUE(isBracedGuid(row.productCode));
    }
    for (const char* unused :
         {row.packageFileName, row.productCode32, row.productCodeGen2, row.productCodeGen2_32,
          row.productCodeGen3, row.productCodeGen3_32}) {
      EXPECT_EQ(unused, nullptr);
    }
    EXPECT_EQ(row.reserved, 0u);
  }
}

TEST(MakeInstanceProductCode, AddsTheInstanceToTheFourthGroup) {
  const struct {
    const char* base;
    uint32_t instance;
    const char* expected;
  } cases[] = {
      {"{5C1E7A20-3B9D-4F62-A8D1-0E4B7C93F2A6}", 1, "{5C1E7A20-3B9D-4F62-A8D2-0E4B7C93F2A6}"},
      {"{5C1E7A20-3B9D-4F62-A8D1-0E4B7C93F2A6}", 3, "{5C1E7A20-3B9D-4F62-A8D4-0E4B7C93F2A6}"},
      {"{5C1E7A20-3B9D-4F62-A8D1-0E4B7C93F2A6}", 15, "{5C1E7A20-3B9D-4F62-A8E0-0E4B7C93F2A6}"},
      {"{5C1E7A20-3B9D-4F62-A8D1-0E4B7C93F2A6}", 0, "{5C1E7A20-3B9D-4F62-A8D1-0E4B7C93F2A6}"},
      // The carry out of four digits is dropped.
      {"{11111111-2222-3333-FFFF-444444444444}", 1, "{11111111-2222-3333-0000-444444444444}"},
      {"{11111111-2222-3333-FFF5-444444444444}", 15, "{11111111-2222-3333-0004-444444444444}"},
      // Lower-case input comes out in upper case; other groups are kept.
      {"{5c1e7a20-3b9d-4f62-a8d1-0e4b7c93f2a6}", 2, "{5c1e7a20-3b9d-4f62-A8D3-0e4b7c93f2a6}"},
      // Leading zeros of the sum are not written.
      {"{11111111-2222-3333-0009-444444444444}", 1, "{11111111-2222-3333-A-444444444444}"},
      // Adjacent dashes leave no empty group.
      {"{11111111--2222-3333-8000-444444444444}", 1, "{11111111-2222-3333-8001-444444444444}"},
  };
  for (const auto& c : cases) {
    char out[kProductCodeSize] = "";
    EXPECT_EQ(MakeInstanceProductCode(c.base, c.instance, out), 0u) << c.base;
    EXPECT_STREQ(out, c.expected) << c.base << " + " << c.instance;
  }
}

TEST(MakeInstanceProductCode, RefusesWhatIsNotAProductCode) {
  char out[kProductCodeSize];
  std::strcpy(out, "untouched");
  EXPECT_EQ(MakeInstanceProductCode(nullptr, 1, out), 1u);
  EXPECT_STREQ(out, "untouched");
  EXPECT_EQ(MakeInstanceProductCode("{1-2-3-4}", 1, out), RC_FAILED);
  EXPECT_EQ(MakeInstanceProductCode("{1-2-3-4-5-6}", 1, out), RC_FAILED);
  EXPECT_STREQ(out, "untouched");
  EXPECT_EQ(MakeInstanceProductCode("{1-2-3-4-5}", 1, nullptr), RC_MISSING_ARGUMENT);

  // The result is appended to what the buffer holds and never overflows it.
  std::strcpy(out, "x");
  EXPECT_EQ(MakeInstanceProductCode("{5C1E7A20-3B9D-4F62-A8D1-0E4B7C93F2A6}", 1, out),
            RC_BUFFER_TOO_SMALL);
  EXPECT_STREQ(out, "x");
  out[0] = '\0';
  EXPECT_EQ(MakeInstanceProductCode("{1-2-3-4-5}", 1, out), 0u);
  EXPECT_EQ(MakeInstanceProductCode("{1-2-3-4-5}", 2, out), 0u);
  EXPECT_STREQ(out, "{1-2-3-5-5}{1-2-3-6-5}");
}

}  // namespace
