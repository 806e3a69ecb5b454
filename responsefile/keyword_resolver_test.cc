#include "responsefile/keyword_resolver.h"

#include <gtest/gtest.h>
#include <stdlib.h>

#include <cstring>
#include <string>
#include <vector>

#include "base/ascii.h"
#include "responsefile/keyword_catalogue.h"
#include "responsefile/test_support.h"

namespace {

constexpr int kProd = 17;

// Sets PROGNAME for one test and puts the previous value back.
class ProgramName {
 public:
  explicit ProgramName(const char* value) {
    const char* previous = getenv("PROGNAME");
    if (previous != nullptr) previous_ = previous;
    hadValue_ = previous != nullptr;
    if (value != nullptr) {
      setenv("PROGNAME", value, 1);
    } else {
      unsetenv("PROGNAME");
    }
  }
  ~ProgramName() {
    if (hadValue_) {
      setenv("PROGNAME", previous_.c_str(), 1);
    } else {
      unsetenv("PROGNAME");
    }
  }

 private:
  bool hadValue_ = false;
  std::string previous_;
};

// The catalogue row the text resolves to in a file with the given header.
int rowOf(const std::string& header, const std::string& text) {
  auto file = loadText(header + text + " = 1\n");
  ResponseFileEntry entry(file.get(), 1);
  resolveKeyword(&entry, text.c_str());
  return entry.catalogueIndex();
}

// Texts that AgreesWithAWalkOverEveryRow does not write: a name in mixed
// case, a name cut short or run on, a block name with nothing behind it.
TEST(KeywordResolver, TakesOnlyWholeNames) {
  ProgramName unset(nullptr);
  const std::string header = "DATABASE = SAMPLE\n";
  EXPECT_EQ(rowOf(header, "Prod"), kProd);
  for (const char* text : {"PRODX", "PRO", "SAMPLE", "SAMPLE.", "SAMPLE.."}) {
    EXPECT_EQ(rowOf(header, text), -1) << text;
  }
}

TEST(KeywordResolver, FollowsNamesTheFileLearnsAfterItsLinesWereResolved) {
  auto file = loadText("DATABASE = SAMPLE\nSAMPLE.ALIAS = A1\n");
  auto rowOfText = [&file](const char* text) {
    ResponseFileEntry entry(file.get(), 1);
    resolveKeyword(&entry, text);
    return entry.catalogueIndex();
  };
  EXPECT_EQ(rowOfText("OTHER.ALIAS"), -1);
  file->blockNameList(BlockKind::kDatabase).push_back("OTHER");
  EXPECT_EQ(rowOfText("other.alias"), 42);
  file->blockNameList(BlockKind::kDatabase).clear();
  EXPECT_EQ(rowOfText("SAMPLE.ALIAS"), -1);
}

TEST(KeywordResolver, ProgNameExcludesSomeKeywords) {
  const char* excluded[] = {"PROD", "LIC_AGREEMENT",    "INSTALL_TYPE", "COMP",
                            "LANG", "PACKAGE_LOCATION", "INSTALL_VIGIL"};
  {
    ProgramName isetup("kv7isetup");
    for (const char* text : excluded) {
      auto file = loadText("");
      ResponseFileEntry entry(file.get(), 1);
      resolveKeyword(&entry, text);
      EXPECT_EQ(entry.catalogueIndex(), -1) << text;
      EXPECT_EQ(entry.state(), EntryUnknownKeyword) << text;
      EXPECT_EQ(entry.problem(), EntryProblem::kExcludedForProgram) << text;
    }
    EXPECT_EQ(rowOf("", "FILE"), 20) << "other keywords stay";
  }
  for (const char* program : {static_cast<const char*>(nullptr), "setup", "KV7ISETUP", ""}) {
    ProgramName other(program);
    for (const char* text : excluded) EXPECT_GE(rowOf("", text), 0) << text;
  }
}

TEST(KeywordResolver, EmptyTextOnlyClearsNameAndRow) {
  auto file = loadText("");
  ResponseFileEntry entry(file.get(), 1);
  resolveKeyword(&entry, "PROD");
  ASSERT_EQ(entry.catalogueIndex(), kProd);
  resolveKeyword(&entry, "");
  EXPECT_EQ(entry.catalogueIndex(), -1);
  EXPECT_FALSE(entry.hasName());
  EXPECT_EQ(entry.state(), EntryValid);
  resolveKeyword(&entry, static_cast<const char*>(nullptr));
  EXPECT_STREQ(entry.name(), "");
}

// The walk over every row the way the catalogue describes it, to hold the
// indexed resolution against.
int referenceRow(const ResponseFile& file, const std::string& text) {
  auto qualifiedBy = [&](const std::string& prefix, const char* name) {
    std::string_view t(text);
    return !prefix.empty() && t.size() == prefix.size() + 1 + std::strlen(name) &&
           ascii::startsWithNoCase(t, prefix) &&
           ascii::equalsNoCase(t.substr(prefix.size() + 1), name);
  };
  auto blockList = [&](const std::string& kind) -> const std::vector<std::string>* {
    if (kind == "NEW_NODE") return &file.blockNames(BlockKind::kNewNode);
    if (kind == "CONTACT") return &file.blockNames(BlockKind::kContact);
    if (kind == "DATABASE") return &file.blockNames(BlockKind::kDatabase);
    if (kind == "LEVEL") return &file.blockNames(BlockKind::kLevel);
    return nullptr;
  };
  for (int row = 0; row < keywordCount; ++row) {
    const KeywordDefinition& d = *definitionAt(row);
    if ((d.programMask & kProgramThisLauncher) == 0) continue;
    bool found = (d.plainScope && ascii::equalsNoCase(text, d.name)) ||
                 (d.defaultInstanceScope && qualifiedBy(file.defaultInstance(), d.name)) ||
                 (d.adminInstanceScope && qualifiedBy(file.adminInstance(), d.name)) ||
                 (d.controlServerScope && qualifiedBy(file.controlServerInstance(), d.name));
    if (!found && d.instanceScope) {
      for (const std::string& name : file.instanceNames())
        found = found || qualifiedBy(name, d.name);
    }
    if (!found && d.blockKinds) {
      std::string kinds = d.blockKinds;
      std::size_t start = 0;
      while (start <= kinds.size() && !found) {
        std::size_t blank = kinds.find(' ', start);
        std::string kind = kinds.substr(start, blank - start);
        if (const std::vector<std::string>* names = blockList(kind)) {
          for (const std::string& name : *names) found = found || qualifiedBy(name, d.name);
        }
        if (blank == std::string::npos) break;
        start = blank + 1;
      }
    }
    if (found) return row;
  }
  return -1;
}

TEST(KeywordResolver, AgreesWithAWalkOverEveryRow) {
  ProgramName unset(nullptr);
  auto file = loadText(
      "DEFAULT_INSTANCE=KV7\nCTLSRV_INSTANCE=KV7CTLSV\nADMIN_INSTANCE=ADM\nINSTANCE=I\n"
      "INSTANCE=Inst1\nINSTANCE=kv7\nDATABASE=I.KV\nDATABASE=SAMPLE\nCONTACT=CONT1\n"
      "NEW_NODE=NODE1\nLEVEL=LVL\nLEVEL=ADM\n");
  const std::vector<std::string> prefixes = {"KV7",    "kv7ctlsv", "ADM",   "I",   "i.kv", "INST1",
                                             "SAMPLE", "CONT1",    "NODE1", "LVL", "NOPE", ""};
  const std::string separators = ".x ";
  int compared = 0;
  int resolved = 0;
  for (int row = 0; row < keywordCount; ++row) {
    std::string name = definitionAt(row)->name;
    std::string lower = name;
    for (char& c : lower) c = ascii::toLower(c);
    for (const std::string& prefix : prefixes) {
      for (char separator : separators) {
        for (const std::string& keyword : {name, lower, name.substr(1)}) {
          std::string text = prefix.empty() ? keyword : prefix + separator + keyword;
          ResponseFileEntry entry(file.get(), 1);
          resolveKeyword(&entry, text);
          int expected = referenceRow(*file, text);
          ASSERT_EQ(entry.catalogueIndex(), expected) << text;
          ++compared;
          if (expected >= 0) ++resolved;
        }
        if (prefix.empty()) break;
      }
    }
  }
  EXPECT_GT(resolved, 1000) << "the texts must exercise many rows";
  EXPECT_GT(compared - resolved, 1000) << "and many texts that resolve to nothing";
}

}  // namespace
