#include "responsefile/entry_validator.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <string>

#include "emulation/testing/test_machine.h"
#include "responsefile/rule_matcher.h"
#include "responsefile/test_support.h"

namespace {

TEST(EntryValidator, OptionWordsFollowTheirLetter) {
  const struct {
    const char* value;
    const char* badWord;  // "" when every word is an option
  } cases[] = {
      {"-a +c -ec -es- +f -fresult", ""},
      {"-a- +x -v -w- +t -o -p -s", ""},
      {"+l -lfile +r -rrep +z -z1", ""},
      {"BLANK", ""},
      {"blank", ""},
      {"-a  -c", ""},
      {"-e", "-e"},
      {"-ex", "-ex"},
      {"-ec--", "-ec--"},
      {"-f", "-f"},
      {"-a -ab", "-ab"},
      {"a", "a"},
      {"-", "-"},
      {"-A", "-A"},
      {"-q", "-q"},
      {"-a -c- -x+", "-x+"},
      {"-a\t-c", "-a\t-c"},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(firstBadOptionWord(c.value), c.badWord) << c.value;
  }
  // Only the first 511 characters are looked at.
  std::string longValue;
  while (longValue.size() < 508) longValue += "-a ";
  ASSERT_EQ(longValue.size(), 510u);
  EXPECT_EQ(firstBadOptionWord(longValue + " -q"), "");
  EXPECT_EQ(firstBadOptionWord(longValue.substr(0, 507) + " -q"), "-q");
}

class EntryValidatorOnMachine : public ::testing::Test {
 protected:
  // The state and problem of the keyword after loading the text.
  std::pair<int32_t, EntryProblem> stateOf(const std::string& text, const char* keyword) {
    auto file = loadText(text);
    const ResponseFileEntry* entry = file->findEntry(keyword, 0);
    if (entry == nullptr) return {-1, EntryProblem::kNone};
    return {entry->state(), entry->problem()};
  }

  emulated::TestMachine machine;
};

using Outcome = std::pair<int32_t, EntryProblem>;
const Outcome kValid{EntryValid, EntryProblem::kNone};

TEST_F(EntryValidatorOnMachine, KeywordsWithCodedChecksBesidesTheirRules) {
  machine.makeDirectory("C:\\kv7\\diag");
  machine.makeDirectory("A:\\diag");
  machine.writeFile("C:\\kv7\\file.txt", "x");
  const std::string header = "DEFAULT_INSTANCE = KV7\n";
  const Outcome kBadOption{EntryInvalidValue, EntryProblem::kBadOptionWord};
  const Outcome kNoDirectory{EntryInvalidValue, EntryProblem::kDirectoryMissing};
  const Outcome kExcluded{EntryInvalidValue, EntryProblem::kExcludedValue};
  const struct {
    std::string line;  // "KEYWORD = value"
    Outcome outcome;
  } cases[] = {
      {"KV7OPTIONS = -a -fout", kValid},
      {"KV7OPTIONS = -a -f", kBadOption},
      {"KV7.KV7OPTIONS = -e", kBadOption},
      {"KV7.DFTDBPATH = C", kValid},
      {"KV7.DFTDBPATH = c:", kValid},
      {"KV7.DFTDBPATH = CC", {EntryInvalidValue, EntryProblem::kRuleMismatch}},
      {"KV7.DFTDBPATH = Q:", {EntryInvalidValue, EntryProblem::kDriveMissing}},
      {"KV7.DIAGPATH = C:\\kv7\\diag", kValid},
      {"KV7.DIAGPATH = c:\\KV7\\DIAG", kValid},
      {"KV7.DIAGPATH = BLANK", kValid},
      {"KV7.DIAGPATH = C:\\kv7\\missing", kNoDirectory},
      {"KV7.DIAGPATH = C:\\kv7\\file.txt", kNoDirectory},
      {"KV7.DIAGPATH = A:\\diag", kNoDirectory},
      {"KV7.DIAGPATH = kv7\\diag", kNoDirectory},
      {"KV7LOADREC = C:\\kv7\\diag", kValid},
      {"KV7LOADREC = C:\\nowhere", kNoDirectory},
      {"KV7.NAME = sysadm", kExcluded},
      {"KV7.NAME = joe", kValid},
      {"KAS_PASSWORD = *", kExcluded},
      {"KAS_PASSWORD = *x", kValid},
  };
  for (const auto& c : cases) {
    const std::string keyword = c.line.substr(0, c.line.find(" = "));
    EXPECT_EQ(stateOf(header + c.line + "\n", keyword.c_str()), c.outcome) << c.line;
  }
}

TEST_F(EntryValidatorOnMachine, PathValuesMustNameFilesThatOpen) {
  machine.writeFile("C:\\other\\only_here.ini", "x");
  machine.writeFile("C:\\cwd\\in_cwd.ini", "x");
  machine.writeFile("C:\\rsp\\beside.ini", "x");
  const std::string header = "INSTANCE = I1\n";
  // A name found beside the response file becomes its full path.
  const struct {
    const char* value;
    bool valid;
    const char* stored;  // the value once loaded; null: as written
  } cases[] = {
      {"beside.ini", true, "C:\\rsp\\beside.ini"}, {"in_cwd.ini", false, nullptr},
      {"only_here.ini", false, nullptr},           {"C:\\other\\only_here.ini", true, nullptr},
      {"C:\\other\\missing.ini", false, nullptr},  {"\\other\\only_here.ini", false, nullptr},
      {"C:other\\only_here.ini", false, nullptr},
  };
  // The current directory holds a file the response file's folder lacks.
  char previous[4096];
  ASSERT_NE(getcwd(previous, sizeof previous), nullptr);
  ASSERT_EQ(chdir(machine.hostPath("C:\\cwd").c_str()), 0);
  for (const auto& c : cases) {
    machine.writeFile(
        "C:\\rsp\\p.rsp",
        header + "I1.CLIENT_IMPORT_PROFILE = x\nI1.TERADATA_CLI_PATH = " + c.value + "\n");
    ResponseFile file("C:\\rsp\\p.rsp");
    const ResponseFileEntry* entry = file.findEntry("I1.TERADATA_CLI_PATH", 0);
    ASSERT_NE(entry, nullptr);
    EXPECT_EQ(entry->state(), c.valid ? EntryValid : EntryInvalidValue) << c.value;
    EXPECT_EQ(valueOf(entry), c.stored ? c.stored : c.value) << c.value;
  }
  ASSERT_EQ(chdir(previous), 0);
}

TEST_F(EntryValidatorOnMachine, PathItemsOfAListReplaceTheValueWhileItIsRead) {
  // Each path item found beside the response file replaces the entry's value
  // by its full path while the later items are still being matched.
  const std::string folder = "C:\\rsp\\a folder whose name is long enough\\";
  machine.writeFile(folder + "p.rsp", "");
  machine.writeFile(folder + "first.ini", "x");
  machine.writeFile(folder + "second.ini", "x");
  ResponseFile file((folder + "p.rsp").c_str());
  const struct {
    const char* value;
    bool matches;
    std::string storedValue;
  } cases[] = {
      {"first.ini, second.ini", true, folder + "second.ini"},
      {"first.ini, missing.ini, second.ini", false, folder + "first.ini"},
  };
  for (const auto& c : cases) {
    ResponseFileEntry entry(&file, 1);
    entry.setRawValue(c.value);
    EXPECT_EQ(matchRule(&entry, entry.rawValue(), "L(1,5,',',P())"), c.matches) << c.value;
    EXPECT_EQ(valueOf(&entry), c.storedValue) << c.value;
  }
}

}  // namespace
