#include "emulation/machine/short_names.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "emulation/testing/test_machine.h"
#include "platform/platform.h"

namespace {

using emulated::TestMachine;

std::string shortPath(const char* path) {
  char buffer[261];
  const uint32_t length = platform::getShortPathName(path, buffer, sizeof buffer);
  if (length == 0) return "<error " + std::to_string(platform::getLastError()) + ">";
  return std::string(buffer, length);
}

TEST(EmulatedShortNames, NumberCollidingLongNamesInSortedOrder) {
  const std::vector<std::string> entries = {"Program Files (x86)",
                                            "Program Files",
                                            "KV7LOG",
                                            "readme.txt",
                                            "a+b.txt",
                                            "archive.tar.gz",
                                            ".profile",
                                            "Documents and Settings",
                                            "PROGRA~1.TXT",
                                            "programming.txt",
                                            "Programmes.txt",
                                            "Programs.txt"};
  const std::vector<std::string> expected = {
      "PROGRA~2", "PROGRA~1", "KV7LOG", "readme.txt", "A_B~1.TXT", "ARCHIV~1.GZ", "PROFIL~1",
      "DOCUME~1", "PROGRA~1.TXT",
      // PROGRA~1.TXT is taken by a name that already is a short name;
      // "Programmes" sorts before "programming"; "Programs.txt" is one.
      "PROGRA~3.TXT", "PROGRA~2.TXT", "Programs.txt"};
  EXPECT_EQ(emulated::shortNamesFor(entries), expected);

  std::vector<std::string> many;
  for (int i = 0; i < 11; ++i) many.push_back("Long Name " + std::to_string(100 + i));
  const std::vector<std::string> numbered = emulated::shortNamesFor(many);
  EXPECT_EQ(numbered[0], "LONGNA~1");
  EXPECT_EQ(numbered[8], "LONGNA~9");
  EXPECT_EQ(numbered[9], "LONGN~10");
}

TEST(EmulatedShortNames, TellValidShortNames) {
  for (const char* name : {"A", "KV7LOG", "setup.exe", "12345678.123", "a_b-c~1.x"}) {
    EXPECT_TRUE(emulated::isValidShortName(name)) << name;
  }
  for (const char* name : {"123456789", "a.b.c", "x.long", "two words", "a+b", ".x", "x.", ""}) {
    EXPECT_FALSE(emulated::isValidShortName(name)) << name;
  }
}

TEST(EmulatedShortNames, GetShortPathNameWorksBothWays) {
  TestMachine machine;
  machine.writeFile("C:\\Program Files\\QOR Telvar\\cfg\\kv7kvdriver.lvl", "");
  machine.makeDirectory("C:\\Program Files\\QOR Tools");
  EXPECT_EQ(shortPath("C:\\Program Files\\QOR Telvar"), "C:\\PROGRA~1\\QORTEL~1");
  EXPECT_EQ(shortPath("c:/program files/qor tools/"), "c:\\PROGRA~1\\QORTOO~1\\");
  EXPECT_EQ(shortPath("C:\\Program Files\\QOR Telvar\\cfg\\kv7kvdriver.lvl"),
            "C:\\PROGRA~1\\QORTEL~1\\cfg\\KV7KVD~1.LVL");
  // A short spelling, or a mix of both, names the same file.
  EXPECT_EQ(shortPath("C:\\progra~1\\QORTEL~1\\CFG\\kv7kvd~1.lvl"),
            "C:\\PROGRA~1\\QORTEL~1\\cfg\\KV7KVD~1.LVL");
  EXPECT_EQ(machine.hostPath("C:\\PROGRA~1\\qor telvar\\cfg"),
            machine.hostPath("C:\\Program Files\\QOR Telvar\\cfg"));
  EXPECT_EQ(platform::pathKind("C:\\PROGRA~1\\QORTEL~1\\cfg\\KV7KVD~1.LVL"),
            platform::PathKind::kRegularFile);
  EXPECT_EQ(shortPath("C:\\Program Files\\QOR Missing"), "<error 2>");
  EXPECT_EQ(shortPath("C:\\Missing\\Deeper"), "<error 2>");
  EXPECT_EQ(shortPath("\\\\server\\share"), "<error 53>");  // a server the machine lacks

  // The Win32 size convention, and the same buffer for input and output.
  char buffer[261] = "C:\\Program Files\\QOR Tools";
  EXPECT_EQ(platform::getShortPathName(buffer, buffer, 20), 21u);
  EXPECT_STREQ(buffer, "C:\\Program Files\\QOR Tools");
  EXPECT_EQ(platform::getShortPathName(buffer, buffer, 21), 20u);
  EXPECT_STREQ(buffer, "C:\\PROGRA~1\\QORTOO~1");
}

}  // namespace
