#include "emulation/machine/host_files.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <string>

namespace {

using emulated::readHostFile;
using emulated::writeHostFileAtomically;

class HostFilesTest : public testing::Test {
 protected:
  void SetUp() override {
    char pattern[] = "/tmp/kv7-host-files-XXXXXX";
    ASSERT_NE(::mkdtemp(pattern), nullptr);
    dir = pattern;
  }
  void TearDown() override { emulated::removeHostTree(dir); }

  std::string at(const std::string& name) const { return dir + "/" + name; }
  void link(const std::string& target, const std::string& name) const {
    ASSERT_EQ(::symlink(target.c_str(), at(name).c_str()), 0);
  }

  std::string dir;
};

TEST_F(HostFilesTest, ReadsOnlyRegularFilesOfTheirKindsSize) {
  ASSERT_TRUE(writeHostFileAtomically(at("five"), "12345", nullptr));
  ASSERT_EQ(::mkfifo(at("fifo").c_str(), 0600), 0);
  ASSERT_EQ(::mkdir(at("dir").c_str(), 0700), 0);
  link("/dev/zero", "zero");
  link("five", "to-five");
  link("gone", "dangling");
  struct Case {
    std::string name;
    std::uint64_t maxBytes;
    bool read;
    std::string error;  // the reason given, or its start
  } const cases[] = {
      {"five", 5, true, ""},
      {"to-five", 5, true, ""},
      {"missing", 5, false, ""},
      {"five", 4, false, "larger than the 4 bytes a file of its kind may have"},
      {"fifo", 5, false, "a FIFO, not a regular file"},
      {"zero", 5, false, "a character device, not a regular file"},
      {"dir", 5, false, "a directory, not a regular file"},
      {"dangling", 5, false, "a symbolic link to " + dir + "/gone, which does not exist"},
  };
  for (const Case& c : cases) {
    std::string content;
    std::string error = "unset";
    EXPECT_EQ(readHostFile(at(c.name), &content, &error, c.maxBytes), c.read) << c.name;
    EXPECT_EQ(error, c.read ? "unset" : c.error) << c.name;
    EXPECT_EQ(content, c.read ? "12345" : "") << c.name;
  }
}

TEST_F(HostFilesTest, WritesThroughSymbolicLinksAndKeepsThem) {
  ASSERT_EQ(::mkdir(at("real").c_str(), 0700), 0);
  ASSERT_TRUE(writeHostFileAtomically(at("real/system.reg"), "old", nullptr));
  link("real/system.reg", "relative");
  link(at("relative"), "absolute");  // a link to a link
  for (const std::string name : {"relative", "absolute"}) {
    std::string error;
    ASSERT_TRUE(writeHostFileAtomically(at(name), "new " + name, &error)) << error;
    struct stat st;
    ASSERT_EQ(::lstat(at(name).c_str(), &st), 0);
    EXPECT_TRUE(S_ISLNK(st.st_mode)) << name;
    std::string content;
    ASSERT_TRUE(readHostFile(at("real/system.reg"), &content, nullptr));
    EXPECT_EQ(content, "new " + name);
  }
  EXPECT_EQ(emulated::listHostDirectory(at("real")), std::vector<std::string>{"system.reg"});

  link("nowhere/system.reg", "dangling");
  link(at("loop"), "loop");
  for (const std::string name : {"dangling", "loop"}) {
    std::string error;
    EXPECT_FALSE(writeHostFileAtomically(at(name), "lost", &error)) << name;
    EXPECT_EQ(error.rfind(at(name) + ": ", 0), 0u) << error;
  }
  EXPECT_NE(::access(at("nowhere").c_str(), F_OK), 0) << "nothing is made where a link leads";
}

}  // namespace
