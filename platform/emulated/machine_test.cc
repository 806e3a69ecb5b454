#include "platform/emulated/machine.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <string>

#include "platform/emulated/host_files.h"
#include "platform/emulated/test_machine.h"
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

TEST(EmulatedMachine, UseMachineReportsAMalformedRegistry) {
  TestMachine machine;
  machine.writeRegistry("[HKEY_LOCAL_MACHINE\\A]\n\"v\"=hex:zz\n");
  std::string error;
  EXPECT_FALSE(emulated::useMachine(machine.dir(), &error));
  EXPECT_EQ(error, machine.dir() +
                       "/system.reg:3: hex data must be bytes of two hexadecimal "
                       "digits split by ,");
  EXPECT_EQ(emulated::machineRegistry(nullptr), nullptr);
  EXPECT_EQ(platform::startProgram(), 8115u);
}

// An installer of the emulated machine records a product by loading the
// registry file, changing it and saving it; the next run sees the product
// and everything the file held before.
TEST(EmulatedMachine, ChangesSavedToTheRegistryFileReachTheNextRun) {
  TestMachine machine;
  machine.writeRegistry("[HKEY_LOCAL_MACHINE\\SOFTWARE\\QOR\\KV7]\n\"Kept\"=\"yes\"\n");
  const std::string product =
      "HKEY_LOCAL_MACHINE\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\"
      "{5C1E7A20-3B9D-4F62-A8D1-0E4B7C93F2A6}";
  emulated::RegistryFile registry;
  std::string error;
  ASSERT_TRUE(registry.load(emulated::registryFilePath(), &error)) << error;
  registry.setValue(product, emulated::makeDwordValue("WindowsInstaller", 1));
  registry.setValue(product, emulated::makeTextValue("InstallLocation", "C:\\QOR\\"));
  ASSERT_TRUE(registry.save(emulated::registryFilePath(), &error)) << error;

  // This process read the registry before the change.
  EXPECT_EQ(platform::msiQueryProductState("{5C1E7A20-3B9D-4F62-A8D1-0E4B7C93F2A6}"),
            platform::kInstallStateUnknown);
  ASSERT_TRUE(emulated::useMachine(machine.dir(), &error)) << error;
  EXPECT_EQ(platform::msiQueryProductState("{5C1E7A20-3B9D-4F62-A8D1-0E4B7C93F2A6}"),
            platform::kInstallStateDefault);
  platform::RegKey key = nullptr;
  ASSERT_EQ(platform::regOpenKey("SOFTWARE\\QOR\\KV7", platform::kKeyRead, &key), 0u);
  char value[8];
  uint32_t size = sizeof value;
  EXPECT_EQ(platform::regQueryValue(key, "Kept", nullptr, value, &size), 0u);
  EXPECT_STREQ(value, "yes");
  platform::regCloseKey(key);
}

}  // namespace
