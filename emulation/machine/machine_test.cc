#include "emulation/machine/machine.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <string>

#include "emulation/machine/host_files.h"
#include "emulation/testing/test_machine.h"
#include "platform/platform.h"

namespace {

using emulated::TestMachine;

bool isDirectory(const std::string& path) {
  struct stat st;
  return ::stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

TEST(EmulatedMachine, IsCreatedOnFirstUseWithTheStandardFolders) {
  TestMachine machine;
  char home[] = "/tmp/kv7-home-XXXXXX";
  ASSERT_NE(::mkdtemp(home), nullptr);
  // Without KV7_MACHINE a program uses the machine in the home directory.
  const TestMachine::ProgramRun run =
      machine.run(TestMachine::testBinDir() + "/emulated_probe", {"exit", "4000000000"},
                  {{"KV7_MACHINE", ""}, {"HOME", home}});
  EXPECT_EQ(run.exitCode, 4000000000u) << run.err;
  const std::string created = std::string(home) + "/.kv7/machine";
  std::string registry;
  ASSERT_TRUE(emulated::readHostFile(created + "/system.reg", &registry, nullptr));
  EXPECT_EQ(registry, "Windows Registry Editor Version 5.00\r\n\r\n");
  for (const char* folder :
       {"/drive_c/Windows/system32", "/drive_c/Program Files", "/drive_c/ProgramData"}) {
    EXPECT_TRUE(isDirectory(created + folder)) << folder;
  }
  EXPECT_TRUE(isDirectory(created + "/drive_c/Users/" + emulated::hostUserName() + "/Documents"));
  emulated::removeHostTree(home);
}

}  // namespace
