#include "installed/install_copy_list.h"

#include <gtest/gtest.h>

#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "emulation/testing/test_machine.h"
#include "installed/result_codes.h"
#include "installed/test_registry.h"
#include "platform/platform.h"

namespace {

using test_registry::copy;
using test_registry::key;
using test_registry::value;

constexpr const char* kLegacyMarker =
    "\n[HKEY_LOCAL_MACHINE\\SOFTWARE\\QOR\\KV7\\CurrentVersion]\n\"Version\"=\"8\"\n";

class CopyListTest : public ::testing::Test {
 protected:
  std::string debugLog() const {
    std::ifstream in(machine.dir() + "/debug.log");
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
  }

  static std::vector<std::string> names(InstallCopyList& list) {
    std::vector<std::string> result;
    InstallCopy* copy = list.First();
    for (uint32_t i = 0; i < list.count() && copy != nullptr; ++i) {
      result.push_back(copy->name());
      copy = list.Next();
    }
    return result;
  }

  static std::vector<std::string> skipped(const InstallCopyList& list) {
    std::vector<std::string> result;
    for (uint32_t i = 0; i < list.skippedCount(); ++i) result.push_back(list.skippedName(i));
    return result;
  }

  emulated::TestMachine machine;
};

// The legacy marker is read as a leading decimal number; the legacy copy
// comes first, then the subkeys in enumeration order.
TEST_F(CopyListTest, LegacyCopyComesFirstWhenItsMarkerReadsAsEight) {
  const struct {
    const char* version;
    bool legacy;
  } cases[] = {{"8", true},  {" +8", true}, {"8.2", true}, {"08", true},
               {"9", false}, {"80", false}, {"", false},   {"v8", false}};
  for (const auto& c : cases) {
    SCOPED_TRACE('"' + std::string(c.version) + '"');
    machine.writeRegistry(key("SOFTWARE\\QOR\\KV7\\CurrentVersion") + value("Version", c.version) +
                          key("SOFTWARE\\QOR\\KV7") + value("KV7 Path Name", "C:\\KV7V8") +
                          copy("beta", "C:\\beta") + copy("ALPHA", "C:\\alpha"));
    InstallCopyList list(false);
    EXPECT_FALSE(list.failed());
    EXPECT_EQ(list.CopyExists("KV7V8"), c.legacy);
    EXPECT_EQ(list.count(), c.legacy ? 3u : 2u);
    if (!c.legacy) {
      EXPECT_EQ(names(list), (std::vector<std::string>{"ALPHA", "beta"}));
      continue;
    }
    EXPECT_EQ(names(list), (std::vector<std::string>{"KV7V8", "ALPHA", "beta"}));
    InstallCopy* legacy = list.legacyCopy();
    ASSERT_NE(legacy, nullptr);
    EXPECT_EQ(legacy, list.First());
    EXPECT_TRUE(legacy->IsLegacy());
    EXPECT_STREQ(legacy->keyPath(), "SOFTWARE\\QOR\\KV7");
    EXPECT_STREQ(legacy->path(), "C:\\KV7V8");
    EXPECT_FALSE(list.Next()->IsLegacy());
  }
}

TEST_F(CopyListTest, UnreadableLegacyCopyEmptiesTheList) {
  machine.writeRegistry(std::string(kLegacyMarker) + key("SOFTWARE\\QOR\\KV7") +
                        value("Other", "x") + copy("ONE", "C:\\one") + copy("TWO", "C:\\two"));
  InstallCopyList list(false);
  EXPECT_TRUE(list.failed());
  EXPECT_EQ(list.count(), 0u);
  EXPECT_EQ(list.First(), nullptr);
  EXPECT_EQ(list.legacyCopy(), nullptr);
  EXPECT_EQ(skipped(list), (std::vector<std::string>{"KV7V8"}));
  EXPECT_EQ(debugLog().find("Invalid Installation Name"), std::string::npos);
}

TEST_F(CopyListTest, UnreadableSubkeyIsSkippedWithTwoDebugStrings) {
  // A name longer than a copy name may be is no copy, even when its first
  // 64 characters name one.
  const std::string longest(64, 'N');
  machine.writeRegistry(copy("GOOD1", "C:\\good1") +
                        key("SOFTWARE\\QOR\\KV7\\InstalledCopies\\Broken") +
                        value("Wrong Name", "C:\\broken") + copy("GOOD2", "C:\\good2") +
                        copy(longest, "C:\\longest") + copy(longest + "X", "C:\\too long"));
  InstallCopyList list(false);
  EXPECT_FALSE(list.failed());
  EXPECT_EQ(names(list), (std::vector<std::string>{"GOOD1", "GOOD2", longest}));
  EXPECT_EQ(skipped(list), (std::vector<std::string>{"Broken", longest + "X"}));
  std::string log = debugLog();
  std::size_t header = log.find("Invalid Installation Name");
  ASSERT_NE(header, std::string::npos) << log;
  EXPECT_NE(log.find("Broken", header + 1), std::string::npos) << log;
  EXPECT_NE(log.find(longest + "X"), std::string::npos) << log;
  EXPECT_EQ(log.find("GOOD"), std::string::npos) << log;
}

TEST_F(CopyListTest, OneTrailingBackslashIsRemovedFromThePath) {
  const struct {
    const char* stored;
    const char* read;
  } cases[] = {{"C:\\QOR\\ONE\\", "C:\\QOR\\ONE"},
               {"C:\\QOR\\ONE", "C:\\QOR\\ONE"},
               {"C:\\QOR\\ONE\\\\", "C:\\QOR\\ONE\\"},
               {"", ""}};
  for (const auto& c : cases) {
    machine.writeRegistry(copy("ONE", c.stored));
    InstallCopyList list(false);
    ASSERT_EQ(list.count(), 1u) << c.stored;
    char path[261];
    ASSERT_EQ(list.First()->GetPath(path, sizeof path), 0u);
    EXPECT_STREQ(path, c.read);
  }
}

TEST_F(CopyListTest, FindsCopyByEitherSpellingOfItsDirectory) {
  const std::string longPath = "C:\\Program Files\\QOR Telvar\\Second Copy";
  machine.makeDirectory(longPath);
  machine.makeDirectory("C:\\Elsewhere");
  // The first copy's directory no longer exists: it matches nothing.
  machine.writeRegistry(copy("A_GONE", "C:\\Removed Directory") + copy("B_COPY", longPath + "\\"));
  char shortPath[261];
  uint32_t length = platform::getShortPathName(longPath.c_str(), shortPath, sizeof shortPath);
  ASSERT_GT(length, 0u);
  ASSERT_STRNE(shortPath, longPath.c_str()) << "the directory needs a distinct 8.3 spelling";

  InstallCopyList list(false);
  ASSERT_EQ(list.count(), 2u);
  const std::string spellings[] = {shortPath, std::string(shortPath) + "\\", longPath,
                                   "c:\\program files\\qor telvar\\second copy\\"};
  for (const std::string& spelling : spellings) {
    InstallCopy* found = nullptr;
    ASSERT_EQ(list.FindCopyByPath(spelling.c_str(), &found), 0u) << spelling;
    EXPECT_STREQ(found->name(), "B_COPY") << spelling;
  }

  InstallCopy* found = nullptr;
  EXPECT_EQ(list.FindCopyByPath("C:\\Removed Directory", &found), RC_FAILED);
  EXPECT_EQ(list.FindCopyByPath("C:\\Elsewhere", &found), RC_NOT_FOUND);
  EXPECT_EQ(list.FindCopyByPath(longPath.c_str(), nullptr), RC_MISSING_ARGUMENT);
  EXPECT_EQ(found, nullptr);
}

TEST_F(CopyListTest, NameSearchesIgnoreLetterCase) {
  machine.writeRegistry(copy("KV7COPY1", "C:\\one") + copy("KV7COPY2", "C:\\two"));
  InstallCopyList list(false);
  EXPECT_TRUE(list.CopyExists("kv7copy2"));
  EXPECT_FALSE(list.CopyExists("KV7COPY"));
  EXPECT_FALSE(list.CopyExists(nullptr));

  InstallCopy* found = nullptr;
  ASSERT_EQ(list.FindCopy("Kv7Copy2", &found), 0u);
  EXPECT_STREQ(found->name(), "KV7COPY2");
  EXPECT_EQ(list.FindCopy("KV7COPY3", &found), RC_NOT_FOUND);
  EXPECT_EQ(list.FindCopy("KV7COPY1", nullptr), RC_MISSING_ARGUMENT);

  // Another list's copy of the same name counts as contained.
  InstallCopyList other(false);
  EXPECT_TRUE(list.ContainsCopy(other.First()));
  InstallCopy stranger("KV7COPY9", false);
  EXPECT_FALSE(list.ContainsCopy(&stranger));
  EXPECT_FALSE(list.ContainsCopy(nullptr));
  // Two lists never share their copies.
  EXPECT_NE(other.First(), list.First());
}

TEST_F(CopyListTest, SearchesInTheMiddleOfAnIterationKeepItsPlace) {
  machine.makeDirectory("C:\\c3");
  machine.writeRegistry(key("SOFTWARE\\QOR\\KV7\\InstalledCopies") + value("", "C4") +
                        copy("C1", "C:\\c1") + copy("C2", "C:\\c2") + copy("C3", "C:\\c3") +
                        copy("C4", "C:\\c4"));
  InstallCopyList list(false);
  ASSERT_EQ(list.count(), 4u);
  list.First();
  ASSERT_STREQ(list.Next()->name(), "C2");

  InstallCopy* found = nullptr;
  EXPECT_TRUE(list.CopyExists("C4"));
  EXPECT_EQ(list.FindCopy("C1", &found), 0u);
  EXPECT_EQ(list.FindCopyByPath("C:\\c3", &found), 0u);
  EXPECT_TRUE(list.ContainsCopy(found));
  EXPECT_EQ(list.FindDefaultCopy(&found), 0u);
  EXPECT_EQ(list.FindDefaultClientInterfaceCopy(&found), RC_NOT_FOUND);

  EXPECT_STREQ(list.Next()->name(), "C3");
  EXPECT_STREQ(list.Next()->name(), "C4");
  EXPECT_EQ(list.Next(), nullptr);
}

TEST_F(CopyListTest, DefaultCopiesComeFromTheInstalledCopiesKey) {
  machine.writeRegistry(key("SOFTWARE\\QOR\\KV7\\InstalledCopies") + value("", "copy2") +
                        value("defaultClientInterfaceCopy", "COPY3") + copy("COPY1", "C:\\1") +
                        copy("COPY2", "C:\\2") + copy("COPY3", "C:\\3"));
  InstallCopyList list(false);
  InstallCopy* found = nullptr;
  ASSERT_EQ(list.FindDefaultCopy(&found), 0u);
  EXPECT_STREQ(found->name(), "COPY2");
  ASSERT_EQ(list.FindDefaultClientInterfaceCopy(&found), 0u);
  EXPECT_STREQ(found->name(), "COPY3");
  EXPECT_EQ(list.FindDefaultCopy(nullptr), RC_MISSING_ARGUMENT);

  machine.writeRegistry(copy("COPY1", "C:\\1"));
  InstallCopyList noDefaults(false);
  EXPECT_EQ(noDefaults.FindDefaultCopy(&found), RC_NOT_FOUND);
  EXPECT_EQ(noDefaults.FindDefaultClientInterfaceCopy(&found), RC_NOT_FOUND);
}

TEST_F(CopyListTest, ThirtyTwoBitViewReadsTheRedirectedKeysAndNeedsComponents) {
  const std::string wow = "SOFTWARE\\WOW6432Node\\QOR\\KV7\\InstalledCopies\\";
  machine.writeRegistry(copy("NATIVE", "C:\\native") + key(wow + "W32") +
                        value("KV7 Path Name", "C:\\w32") + key(wow + "W32\\Components") +
                        key(wow + "NOCOMP") + value("KV7 Path Name", "C:\\nocomp") +
                        // "Users" is looked for outside the 32-bit view.
                        key("SOFTWARE\\QOR\\KV7\\InstalledCopies\\W32\\Users"));
  InstallCopyList native(false);
  EXPECT_EQ(names(native), (std::vector<std::string>{"NATIVE"}));
  EXPECT_EQ(native.GetViewFlags(), 0u);
  EXPECT_FALSE(native.First()->HasUsers());

  InstallCopyList view32(true);
  EXPECT_EQ(view32.GetViewFlags(), platform::kKeyWow64_32Key);
  EXPECT_EQ(names(view32), (std::vector<std::string>{"W32"}));
  EXPECT_EQ(skipped(view32), (std::vector<std::string>{"NOCOMP"}));
  InstallCopy* w32 = view32.First();
  EXPECT_EQ(w32->GetViewFlags(), platform::kKeyWow64_32Key);
  EXPECT_STREQ(w32->path(), "C:\\w32");
  EXPECT_TRUE(w32->HasUsers());

  InstallCopy noComponents("NOCOMP", true);
  EXPECT_EQ(noComponents.status(), kCopyComponentsMissing);
  InstallCopy missing("MISSING", true);
  EXPECT_EQ(missing.status(), kCopyUnreadable);
}

}  // namespace
