#include "launcher/path_utils.h"

#include <cstring>
#include <string>

#include <gtest/gtest.h>

#include "emulation/testing/test_machine.h"
#include "platform/platform.h"

namespace {

std::string currentDirectory() {
  char buffer[kPathCapacity] = {};
  platform::getCurrentDirectory(kPathCapacity, buffer);
  return buffer;
}

TEST(PathUtils, MakeAbsolutePathPrefixesOnlyRelativePaths) {
  emulated::TestMachine machine;
  std::string cwd = currentDirectory();
  ASSERT_FALSE(cwd.empty());
  std::string base = cwd.back() == '\\' ? cwd : cwd + "\\";
  struct Case {
    const char* given;
    std::string expected;
  } const cases[] = {
      {"setup.log", base + "setup.log"},
      {"logs\\a.log", base + "logs\\a.log"},
      {"\\rooted.log", base + "\\rooted.log"},  // one backslash counts as relative
      {"..\\up.log", base + "..\\up.log"},
      {"C:\\x\\y.log", "C:\\x\\y.log"},
      {"C:y.log", "C:y.log"},
      {"\\\\server\\share\\y.log", "\\\\server\\share\\y.log"},
      {"\"\\\\server\\share\\y.log\"", "\"\\\\server\\share\\y.log\""},
  };
  for (const Case& c : cases) {
    PathText path;
    path.assign(c.given);
    EXPECT_EQ(makeAbsolutePath(path), 0) << c.given;
    EXPECT_EQ(path.view(), c.expected);
  }
  char empty[kPathCapacity] = "";
  EXPECT_EQ(makeAbsolutePath(empty, sizeof empty), -1);
  EXPECT_STREQ(empty, "");
}

TEST(PathUtils, MakeAbsolutePathRefusesWhatDoesNotFit) {
  emulated::TestMachine machine;
  std::string cwd = currentDirectory();
  std::string name(kPathCapacity - 1 - cwd.size(), 'n');  // one character too many
  PathText path;
  ASSERT_TRUE(path.assign(name));
  EXPECT_EQ(makeAbsolutePath(path), -1);
  EXPECT_EQ(path.view(), name);
  path.truncate(name.size() - 1);
  EXPECT_EQ(makeAbsolutePath(path), 0);
  EXPECT_EQ(path.size(), kPathCapacity - 1);
}

TEST(PathUtils, RegularFilesAndIllegalCharacters) {
  emulated::TestMachine machine;
  machine.writeFile("C:\\data\\a.rsp", "x");
  EXPECT_TRUE(isRegularFile("C:\\data\\a.rsp"));
  EXPECT_TRUE(isRegularFile("\"C:\\data\\a.rsp\""));
  EXPECT_TRUE(isRegularFile("\"C:\\data\\a.rsp"));
  EXPECT_FALSE(isRegularFile("C:\\data"));
  EXPECT_FALSE(isRegularFile("C:\\data\\missing.rsp"));
  EXPECT_FALSE(isRegularFile(nullptr));

  for (const char* bad : {"C:/x", "C:\\x?", "a<b", "a>b", "*.log", "a|b"}) {
    EXPECT_FALSE(hasNoIllegalPathChars(bad)) << bad;
  }
  for (const char* good : {"C:\\x\\y.log", "\"C:\\with blank\\y\"", "", "relative"}) {
    EXPECT_TRUE(hasNoIllegalPathChars(good)) << good;
  }
}

TEST(PathUtils, CreateDirectoryTreeCreatesEveryMissingLevel) {
  emulated::TestMachine machine;
  // The final level of a path with a trailing backslash is the same
  // directory again, so its creation reports failure.
  EXPECT_EQ(createDirectoryTree("C:\\one\\two\\three\\"), -1);
  EXPECT_EQ(platform::pathKind("C:\\one\\two\\three"), platform::PathKind::kDirectory);
  EXPECT_EQ(createDirectoryTree("C:\\one\\two\\four"), 0);
  EXPECT_EQ(platform::pathKind("C:\\one\\two\\four"), platform::PathKind::kDirectory);
  EXPECT_EQ(createDirectoryTree("C:\\one"), -1);
}

TEST(PathUtils, ShortPathOrCopy) {
  emulated::TestMachine machine;
  machine.makeDirectory("C:\\Program Files\\Long Directory Name");
  char buffer[kPathCapacity];
  std::strcpy(buffer, "C:\\Program Files\\Long Directory Name");
  EXPECT_EQ(shortPathOrCopy(buffer, buffer, sizeof buffer), 0);
  EXPECT_STREQ(buffer, "C:\\PROGRA~1\\LONGDI~1");

  char out[kPathCapacity] = {};
  EXPECT_EQ(shortPathOrCopy("C:\\does not exist", out, sizeof out), -1);
  EXPECT_STREQ(out, "C:\\does not exist");
  char tiny[4] = "abc";
  EXPECT_EQ(shortPathOrCopy("C:\\does not exist", tiny, sizeof tiny), -1);
  EXPECT_STREQ(tiny, "abc");
}

TEST(PathUtils, EnsureTrailingBackslash) {
  struct Case {
    const char* given;
    const char* expected;
  } const cases[] = {{"C:\\x", "C:\\x\\"}, {"C:\\x\\", "C:\\x\\"}, {"", ""}};
  for (const Case& c : cases) {
    char buffer[16];
    std::strcpy(buffer, c.given);
    ensureTrailingBackslash(buffer, sizeof buffer);
    EXPECT_STREQ(buffer, c.expected);
    PathText text;
    text.assign(c.given);
    ensureTrailingBackslash(text);
    EXPECT_EQ(text.view(), c.expected);
  }
  char full[5] = "abcd";
  ensureTrailingBackslash(full, sizeof full);
  EXPECT_STREQ(full, "abcd");
}

TEST(PathUtils, CaseInsensitiveComparisons) {
  struct Case {
    const char* a;
    const char* b;
    int result;
  } const cases[] = {
      {"abc", "ABC", 0},
      {"abc", "abd", -1},
      {"abd", "ABC", 1},
      {"ab", "abc", -1},
      {"abc", "ab", 1},
      {"", "", 0},
      {"a_", "A^", 1},
      {"a", "[", -1},
      // Signed bytes: a high character sorts before every ASCII one.
      {"\xe9", "a", -1},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(compareNoCase(c.a, c.b), c.result) << c.a << " " << c.b;
  }
  EXPECT_EQ(compareNoCaseN("abcX", "ABCy", 3), 0);
  EXPECT_EQ(compareNoCaseN("abcX", "ABCy", 4), -1);
  EXPECT_EQ(compareNoCaseN("ab", "AB", 10), 0);
  EXPECT_EQ(compareNoCaseN("x", "y", 0), 0);
}

TEST(PathUtils, FindNoCase) {
  const char* text = "C:\\Program Files\\QOR";
  EXPECT_EQ(findNoCase(text, "program"), text + 3);
  EXPECT_EQ(findNoCase(text, "qor"), text + 17);
  EXPECT_EQ(findNoCase(text, "qorx"), nullptr);
  EXPECT_EQ(findNoCase("", "a"), nullptr);
  EXPECT_EQ(findNoCase("", ""), nullptr);
}

TEST(PathUtils, FindListValue) {
  struct Case {
    const char* list;
    const char* key;
    std::size_t capacity;
    bool found;
    const char* value;
  } const cases[] = {
      {"a=1;b=22;c=3", "b", 8, true, "22"},
      {"a=1;b=22;c=3", "c", 8, true, "3"},
      {"a=1;b=22;c=3", "B", 8, false, ""},  // keys are compared exactly
      {"ab=1;b=2", "b", 8, true, "2"},      // same length, not a prefix
      {"b;b=2", "b", 8, true, "2"},         // pieces without separator are passed over
      {"b=x=y;b=2", "b", 8, true, "x=y"},   // the first separator splits
      {"b=1234;b=2", "b", 4, false, ""},    // the first match decides, and does not fit
      {"b=1234", "b", 4, false, ""},
      {"b=123", "b", 4, true, "123"},
      {"b=", "b", 4, true, ""},
      {"", "b", 4, false, ""},
  };
  for (const Case& c : cases) {
    char out[16] = "";
    EXPECT_EQ(findListValue(c.list, c.key, out, c.capacity, '=', ';'), c.found)
        << c.list << " " << c.key;
    EXPECT_STREQ(out, c.value) << c.list;
  }
}

}  // namespace
