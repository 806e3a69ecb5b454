#include "responsefile/response_file.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <set>
#include <string>
#include <vector>

#include "base/ascii.h"
#include "responsefile/test_support.h"

namespace {

// Name, line number, state and value of every entry, in order.
struct Seen {
  std::string name;
  int32_t line;
  int32_t state;
  std::string value;  // as valueOf gives it
  bool operator==(const Seen& other) const {
    return name == other.name && line == other.line && state == other.state && value == other.value;
  }
};

std::ostream& operator<<(std::ostream& out, const Seen& seen) {
  return out << "{" << seen.name << ", line " << seen.line << ", state " << seen.state << ", '"
             << seen.value << "'}";
}

std::vector<Seen> entriesOf(const ResponseFile& file) {
  std::vector<Seen> seen;
  for (int32_t i = 0; i < file.entryCount(); ++i) {
    const ResponseFileEntry* entry = file.entryAt(i);
    seen.push_back({entry->name(), entry->lineNumber(), entry->state(), valueOf(entry)});
  }
  return seen;
}

TEST(ResponseFileReader, ReadsEachLineIntoItsEntry) {
  // 1022 characters and the newline fill the 1023 characters of one read, so
  // the reader cannot tell the line ended: the next line joins it.
  const std::string filling = "COMP=" + std::string(1017, 'a');
  const struct {
    std::string text;
    int32_t status;
    std::vector<Seen> entries;
  } cases[] = {
      {"* a comment\n\n   # another\n\t\n*PROD=ALL\n#INSTALL_TYPE=X\n", RspOk, {}},
      // The newest line of a keyword that does not repeat wins at its own
      // place, valid or not.
      {"INSTALL_TYPE = BOGUS\nPROD = ALL\ninstall_type = TYPICAL\nREBOOT = YES\n",
       RspOk,
       {{"PROD", 2, EntryValid, "ALL"},
        {"install_type", 3, EntryValid, "TYPICAL"},
        {"REBOOT", 4, EntryValid, "YES"}}},
      {"INSTALL_TYPE = TYPICAL\nINSTALL_TYPE = BOGUS\nFOO=1\nfoo=2\n",
       RspContentInvalid,
       {{"INSTALL_TYPE", 2, EntryInvalidValue, "BOGUS"}, {"foo", 4, EntryUnknownKeyword, "2"}}},
      {"COMP=" + std::string(3000, 'v') + "\nCOMP=next\n",
       RspOk,
       {{"COMP", 1, EntryValid, std::string(3000, 'v')}, {"COMP", 2, EntryValid, "next"}}},
      {filling + "\nCOMP=second\nCOMP=third\n",
       RspOk,
       {{"COMP", 1, EntryValid, std::string(1017, 'a') + "\nCOMP=second"},
        {"COMP", 2, EntryValid, "third"}}},
      // One character less and the line ends where it should.
      {filling.substr(0, 1021) + "\nCOMP=second\n",
       RspOk,
       {{"COMP", 1, EntryValid, std::string(1016, 'a')}, {"COMP", 2, EntryValid, "second"}}},
      {"REBOOT=NO\nCOMP=tail",
       RspOk,
       {{"REBOOT", 1, EntryValid, "NO"}, {"COMP", 2, EntryValid, "tail"}}},
      // Bytes above seven bits pass through; a NUL byte hides the rest of its line.
      {"COMP = caf\xe9 \xff\n", RspOk, {{"COMP", 1, EntryValid, "caf\xe9 \xff"}}},
      {std::string("COMP=ab\0cd\nREBOOT=YES\n", 22),
       RspOk,
       {{"COMP", 1, EntryValid, "ab"}, {"REBOOT", 2, EntryValid, "YES"}}},
  };
  for (const auto& c : cases) {
    auto file = loadText(c.text);
    EXPECT_EQ(file->status(), c.status) << c.text;
    EXPECT_EQ(entriesOf(*file), c.entries) << c.text;
  }
}

TEST(ResponseFileReader, KnownKeywordsWithoutValueAreDroppedUnknownOnesReported) {
  auto file = loadText(
      "LIC_AGREEMENT=\n"
      "REBOOT\n"
      "KAS_PASSWORD = **secret\n"
      "NO_SUCH_KEYWORD=\n"
      "INSTALL TYPE = TYPICAL\n");
  EXPECT_EQ(file->status(), RspContentInvalid);
  EXPECT_EQ(entriesOf(*file),
            (std::vector<Seen>{{"NO_SUCH_KEYWORD", 4, EntryUnknownKeyword, "<none>"},
                               {"INSTALL TYPE", 5, EntryUnknownKeyword, "TYPICAL"}}));
  EXPECT_EQ(file->entryAt(0)->rawValue(), nullptr);
  EXPECT_EQ(file->entryAt(0)->value(), nullptr);
  EXPECT_EQ(file->entryAt(1)->catalogueIndex(), -1);
  EXPECT_EQ(file->entryAt(1)->problem(), EntryProblem::kUnknownKeyword);
}

TEST(ResponseFileReader, ALineWithoutKeywordIsAnUnknownEntry) {
  auto file = loadText("=orphan\n");
  ASSERT_EQ(file->entryCount(), 1);
  EXPECT_STREQ(file->entryAt(0)->name(), "");
  EXPECT_EQ(file->entryAt(0)->state(), EntryUnknownKeyword);
  EXPECT_EQ(file->entryAt(0)->problem(), EntryProblem::kNoKeyword);
  EXPECT_EQ(file->status(), RspContentInvalid);
  // Lines without a keyword are not one keyword given twice: every one stays.
  auto several = loadText("=first\nREBOOT=YES\n = second\n=\n");
  EXPECT_EQ(entriesOf(*several), (std::vector<Seen>{{"", 1, EntryUnknownKeyword, "first"},
                                                    {"REBOOT", 2, EntryValid, "YES"},
                                                    {"", 3, EntryUnknownKeyword, "second"},
                                                    {"", 4, EntryUnknownKeyword, "<none>"}}));
}

TEST(ResponseFileReader, ManyReplacedLinesLeaveTheNewestOfEachNameInFileOrder) {
  // Enough replaced lines that the reader sets them aside several times
  // while it reads.
  std::string text;
  std::vector<std::pair<std::string, std::string>> lines;  // name, value
  for (int i = 0; i < 30000; ++i) {
    switch (i % 3) {
      case 0:
        lines.push_back({"COMP", "c" + std::to_string(i)});
        break;
      case 1:
        lines.push_back({"UNKNOWN_" + std::to_string(i % 70), "u" + std::to_string(i)});
        break;
      default:
        lines.push_back({i % 5 == 0 ? "install_type" : "INSTALL_TYPE", "CUSTOM"});
    }
    text += lines.back().first + " = " + lines.back().second + "\n";
  }
  // Walking back from the end, the first line of each name is its newest.
  std::vector<Seen> expected;
  std::set<std::string> seen;
  for (std::size_t i = lines.size(); i-- > 0;) {
    const std::string& name = lines[i].first;
    std::string folded = name;
    for (char& c : folded) c = ascii::toUpper(c);
    if (name != "COMP" && !seen.insert(folded).second) continue;
    int32_t state = name.rfind("UNKNOWN_", 0) == 0 ? EntryUnknownKeyword : EntryValid;
    expected.push_back({name, static_cast<int32_t>(i + 1), state, lines[i].second});
  }
  std::reverse(expected.begin(), expected.end());
  EXPECT_EQ(entriesOf(*loadText(text)), expected);
}

TEST(ResponseFileReader, RepeatableKeywordsKeepEveryLine) {
  auto file = loadText("COMP=a\nPROD=ALL\nCOMP=b\nprod=QOR_TELVAR_DRIVER\nCOMP=c\n");
  EXPECT_EQ(file->status(), RspOk);
  EXPECT_EQ(entriesOf(*file), (std::vector<Seen>{{"COMP", 1, 0, "a"},
                                                 {"PROD", 2, 0, "ALL"},
                                                 {"COMP", 3, 0, "b"},
                                                 {"prod", 4, 0, "QOR_TELVAR_DRIVER"},
                                                 {"COMP", 5, 0, "c"}}));
  EXPECT_EQ(file->findIndex("COMP", 1), 2);
  EXPECT_EQ(file->findIndex("COMP", 3), 4);
  EXPECT_EQ(file->findIndex("COMP", 5), -1);
  EXPECT_EQ(file->findIndex(nullptr, 0), -1);
  EXPECT_EQ(file->findEntry("REBOOT", 0), nullptr);
  EXPECT_EQ(file->entryAt(-1), nullptr);
  EXPECT_EQ(file->entryAt(5), nullptr);
}

TEST(ResponseFileReader, DirectoryNamesLongerThan255TogetherAreBothInvalid) {
  const std::string header = "DEFAULT_INSTANCE = KV7\n";
  auto fits = loadText(header + "KV7.DIR_OBJ_NAME = " + std::string(200, 'o') +
                       "\nKV7.DIR_PATH_NAME = /.:/" + std::string(51, 'p') + "\n");
  EXPECT_EQ(fits->status(), RspOk);
  auto tooLong = loadText(header + "KV7.DIR_OBJ_NAME = " + std::string(200, 'o') +
                          "\nKV7.DIR_PATH_NAME = /.:/" + std::string(52, 'p') + "\n");
  EXPECT_EQ(tooLong->status(), RspContentInvalid);
  for (const char* name : {"KV7.DIR_OBJ_NAME", "KV7.DIR_PATH_NAME"}) {
    ResponseFileEntry* entry = tooLong->findEntry(name, 0);
    ASSERT_NE(entry, nullptr);
    EXPECT_EQ(entry->state(), EntryInvalidValue) << name;
    ASSERT_EQ(entry->contradictions().size(), 1u);
    EXPECT_EQ(entry->contradictions()[0].check, CrossCheck::kDirectoryNameLength);
  }
}

TEST(ResponseFileReader, SomeProductsRefuseSomeInstallTypes) {
  const struct {
    const char* product;
    const char* type;
    bool refused;
  } cases[] = {
      {"WORKLOAD_WARDEN", "COMPACT", true},    {"workload_warden", "compact", true},
      {"WORKLOAD_WARDEN", "TYPICAL", false},   {"ORIEL_SQL_LINKS", "TYPICAL", true},
      {"ORIEL_FLAT_LINKS", "COMPACT", true},   {"ORIEL_FLAT_LINKS", "CUSTOM", false},
      {"QOR_TELVAR_DRIVER", "COMPACT", false},
  };
  for (const auto& c : cases) {
    auto file = loadText(std::string("PROD=") + c.product + "\nINSTALL_TYPE=" + c.type + "\n");
    SCOPED_TRACE(std::string(c.product) + " " + c.type);
    EXPECT_EQ(file->status(), c.refused ? RspContentInvalid : RspOk);
    EXPECT_EQ(file->findEntry("INSTALL_TYPE", 0)->state(),
              c.refused ? EntryInvalidValue : EntryValid);
    EXPECT_EQ(file->findEntry("PROD", 0)->state(), EntryValid) << "only the type is marked";
  }
  // Only the first PROD line counts.
  auto second = loadText("PROD=ALL\nPROD=WORKLOAD_WARDEN\nINSTALL_TYPE=COMPACT\n");
  EXPECT_EQ(second->status(), RspOk);
}

TEST(ResponseFileReader, MarkInvalidOnlyChangesValidEntries) {
  auto file = loadText("REBOOT=YES\nFOO=1\n");
  ResponseFileEntry* reboot = file->findEntry("REBOOT", 0);
  ResponseFileEntry* unknown = file->findEntry("FOO", 0);
  reboot->markInvalid();
  unknown->markInvalid();
  EXPECT_EQ(reboot->state(), EntryInvalidValue);
  EXPECT_EQ(reboot->problem(), EntryProblem::kMarkedInvalid);
  EXPECT_EQ(unknown->state(), EntryUnknownKeyword);
}

TEST(ResponseFileReader, MissingInputGivesOpenOrReadStatus) {
  ResponseFile noName(static_cast<const char*>(nullptr));
  EXPECT_EQ(noName.status(), RspOpenFailed);
  ResponseFile noStream(static_cast<std::FILE*>(nullptr));
  EXPECT_EQ(noStream.status(), RspReadFailed);
  EXPECT_EQ(noStream.entryCount(), 0);
}

}  // namespace
