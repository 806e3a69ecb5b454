#include "responsefile/keyword_catalogue.h"

#include <gtest/gtest.h>

#include <climits>
#include <cstdio>
#include <fstream>
#include <map>
#include <set>
#include <sstream>
#include <string>
#include <vector>

// The catalogue is data: these tests hold the invariants every row must keep,
// and a digest of the whole table, so that a row typed wrongly is caught
// without a second copy of the table to keep in step.
namespace {

std::vector<std::string> wordsOf(const char* text) {
  std::vector<std::string> words;
  std::istringstream in(text ? text : "");
  for (std::string word; in >> word;) words.push_back(word);
  return words;
}

// Quotes close and parentheses outside quotes balance: a lost character
// while typing a rule would upset one of them.
bool quotesAndParenthesesBalance(const std::string& rule) {
  int depth = 0;
  bool quoted = false;
  for (std::size_t i = 0; i < rule.size(); ++i) {
    const char c = rule[i];
    if (quoted) {
      if (c == '\'' && i + 1 < rule.size() && rule[i + 1] == '\'') {
        ++i;
      } else if (c == '\'') {
        quoted = false;
      }
    } else if (c == '\'') {
      quoted = true;
    } else if (c == '(') {
      ++depth;
    } else if (c == ')' && --depth < 0) {
      return false;
    }
  }
  return !quoted && depth == 0;
}

bool isKeywordName(const std::string& name) {
  return !name.empty() && name[0] >= 'A' && name[0] <= 'Z' &&
         name.find_first_not_of("ABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789_") == std::string::npos;
}

TEST(KeywordCatalogue, HoldsOneRowPerIndexEachNameOnceExceptAuthentication) {
  std::map<std::string, std::vector<int>> seen;
  for (int i = 0; i < keywordCount; ++i) {
    const KeywordDefinition* row = definitionAt(i);
    ASSERT_NE(row, nullptr) << i;
    ASSERT_NE(row->name, nullptr) << i;
    EXPECT_EQ(isRepeatable(i), row->repeatable) << row->name;
    seen[row->name].push_back(i);
  }
  for (const auto& [name, rows] : seen) {
    EXPECT_EQ(rows.size(), name == "AUTHENTICATION" ? 2u : 1u) << name;
  }
  // The first AUTHENTICATION row, tried first, allows five methods; the
  // second, reached only through a database block, adds the two DCS ones.
  const std::vector<int>& authentication = seen["AUTHENTICATION"];
  ASSERT_EQ(authentication.size(), 2u);
  EXPECT_EQ(wordsOf(definitionAt(authentication[0])->rule).size(), 5u);
  EXPECT_EQ(wordsOf(definitionAt(authentication[1])->rule).size(), 7u);
  for (int outside : {-1, keywordCount, keywordCount + 1, INT_MIN, INT_MAX}) {
    EXPECT_EQ(definitionAt(outside), nullptr) << outside;
    EXPECT_EQ(isRepeatable(outside), 0u) << outside;
  }
}

// What the reader, the resolver and the validator take for granted of every
// row: a slip in any one row breaks one of these.
TEST(KeywordCatalogue, EveryRowKeepsTheShapeItsReadersRelyOn) {
  const std::set<std::string> blockKinds = {"NEW_NODE", "CONTACT", "DATABASE", "LEVEL"};
  for (int i = 0; i < keywordCount; ++i) {
    const KeywordDefinition& row = *definitionAt(i);
    const std::string where = std::to_string(i) + " " + row.name;
    EXPECT_TRUE(isKeywordName(row.name)) << where;

    ASSERT_NE(row.rule, nullptr) << where;
    const std::string rule = row.rule;
    EXPECT_FALSE(rule.empty()) << where;
    EXPECT_NE(rule.front(), ' ') << where;
    EXPECT_NE(rule.back(), ' ') << where;
    EXPECT_TRUE(quotesAndParenthesesBalance(rule)) << where << ": " << rule;
    if (row.exclusionRule != nullptr) {
      EXPECT_TRUE(quotesAndParenthesesBalance(row.exclusionRule)) << where;
    }

    // The resolver asks only whether a scope is there; each present scope is
    // one product bit.
    for (uint32_t scope : {row.plainScope, row.defaultInstanceScope, row.adminInstanceScope,
                           row.controlServerScope, row.instanceScope}) {
      EXPECT_LE(scope, 1u) << where;
    }
    for (const std::string& kind : wordsOf(row.blockKinds)) {
      EXPECT_EQ(blockKinds.count(kind), 1u) << where << ": " << kind;
    }
    if (row.blockKinds != nullptr) {
      EXPECT_FALSE(wordsOf(row.blockKinds).empty()) << where;
    }

    // A repeatable value other than 1, or another program name, would be
    // read wrongly by the reader and the resolver.
    EXPECT_LE(row.repeatable, 1u) << where;
    if (row.excludedPrograms != nullptr) {
      EXPECT_STREQ(row.excludedPrograms, "kv7isetup") << where;
    }
    EXPECT_EQ(row.flags & ~0xFu, 0u) << where;
    EXPECT_TRUE(row.programMask == 1 || row.programMask == 3) << where;
  }
}

// The table written out one row a line, every field in order, so that two
// tables read the same exactly when they are the same.
std::string canonicalRows() {
  const auto text = [](const char* field) { return field ? std::string(field) : "-"; };
  std::string rows;
  for (int i = 0; i < keywordCount; ++i) {
    const KeywordDefinition& row = *definitionAt(i);
    char numbers[96];
    std::snprintf(numbers, sizeof numbers, "%u|%u %u %u %u %u|%u|%u", row.repeatable,
                  row.plainScope, row.defaultInstanceScope, row.adminInstanceScope,
                  row.controlServerScope, row.instanceScope, row.flags, row.programMask);
    rows += std::to_string(i) + "|" + text(row.name) + "|" + text(row.excludedPrograms) + "|" +
            text(row.rule) + "|" + text(row.exclusionRule) + "|" + text(row.blockKinds) + "|" +
            numbers + "\n";
  }
  return rows;
}

// 64-bit FNV-1a: small, and independent of how the table is written down.
uint64_t digestOf(const std::string& text) {
  uint64_t hash = 14695981039346656037ull;
  for (unsigned char c : text) {
    hash ^= c;
    hash *= 1099511628211ull;
  }
  return hash;
}

// The digest of the catalogue as it was checked, field by field, against the
// product family's keyword list. A deliberate change of the table changes it:
// check the changed rows (the failure names a file with every row), then
// record the new digest here.
constexpr uint64_t kCheckedCatalogueDigest = 0x10b77a963ec3ae2bull;

TEST(KeywordCatalogue, IsTheCatalogueThatWasChecked) {
  const std::string rows = canonicalRows();
  const uint64_t digest = digestOf(rows);
  if (digest == kCheckedCatalogueDigest) return;
  const std::string dump = ::testing::TempDir() + "keyword_catalogue_rows.txt";
  std::ofstream(dump) << rows;
  char shown[32];
  std::snprintf(shown, sizeof shown, "0x%016llxull", static_cast<unsigned long long>(digest));
  ADD_FAILURE() << "the keyword catalogue differs from the one that was checked: its digest is "
                << shown << "; every row, one a line, is in " << dump;
}

}  // namespace
