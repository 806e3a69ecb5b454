// A run without -showcommand: the composed command runs, and the installer's
// exit code becomes the launcher's.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "emulation/machine/registry_file.h"
#include "emulation/machine/registry_view.h"
#include "tests/machine_with_image.h"

namespace {

TEST(InstallerRunTest, TheInstallersExitCodeBecomesTheLaunchers) {
  MachineWithImage m;
  m.commitRegistry();
  const std::string record = m.useFakeInstaller();

  for (uint32_t code : {0u, 1603u, 3010u, 8100u, 70000u}) {
    auto run =
        m.setup({"/l", "C:\\temp\\drv.log", "/p", "C:\\apps\\SITEA"},
                {{"FAKE_INSTALLER_EXIT", std::to_string(code)}, {"FAKE_INSTALLER_RECORD", record}});
    EXPECT_EQ(run.exitCode, code) << run.out << run.err;
  }
  // The installer received the command split as Windows programs split it.
  EXPECT_EQ(emulated::readHost(record),
            "/i\nD:\\media\\image\\\\QOR Telvar Driver for ODBC, CLI, and .NET.msi\n/l*v\n"
            "C:\\temp\\drv.log\nKV7_LOG_FILE_PATH=C:\\temp\\drv.log\nTRANSFORMS=1033.mst\n"
            "INSTALLDIR=C:\\apps\\SITEA\n");
}

TEST(InstallerRunTest, AnInstallPathEndingInABackslashInstallsIntoThatDirectory) {
  MachineWithImage m;
  m.commitRegistry();
  // setup quotes the path as it is, INSTALLDIR="C:\apps\SITEA\", which the
  // installer reads by its own rules: the backslash does not escape the quote.
  m.writeFile(
      "D:\\rsp\\sitea.rsp",
      "PROD=QOR_TELVAR_DRIVER\nLIC_AGREEMENT=ACCEPT\nCOPY_NAME=SITEA\nFILE=C:\\apps\\SITEA\\\n");
  auto run = m.setup({"/u", "D:\\rsp\\sitea.rsp", "/l", "C:\\temp\\drv.log"});
  ASSERT_EQ(run.exitCode, 0u) << run.out << run.err;
  std::vector<std::string> installed;
  for (const auto& entry : std::filesystem::directory_iterator(m.machine().hostPath("C:\\apps"))) {
    installed.push_back(entry.path().filename().string());
  }
  EXPECT_EQ(installed, std::vector<std::string>{"SITEA"});
  EXPECT_TRUE(std::filesystem::exists(m.machine().hostPath("C:\\apps\\SITEA\\bin\\kv7drv.dll")));
}

namespace {

const std::string kUninstallKey =
    "HKEY_LOCAL_MACHINE\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\";

// A value of the machine's registry, "<missing>" when there is none.
std::string registryValue(const emulated::TestMachine& machine, const std::string& key,
                          const std::string& name) {
  emulated::RegistryFile registry;
  std::string error;
  if (!registry.load(machine.dir() + "/system.reg", &error)) return error;
  const emulated::RegistryKey* k = registry.findKey(key);
  const emulated::RegistryValue* v = k ? k->findValue(name) : nullptr;
  std::string text;
  return v != nullptr && emulated::valueAsText(*v, &text) ? text : "<missing>";
}

}  // namespace

TEST(InstallerRunTest, AnImageInAFolderWhoseNameHoldsASemicolonInstalls) {
  MachineWithImage m;
  m.commitRegistry();
  // Only the TRANSFORMS list is split at ";": setup names the language
  // transform by its bare name, and its full path keeps the folder's ";".
  const std::string image = m.machine().hostPath("C:\\media\\v1;2");
  std::filesystem::create_directories(image);
  std::filesystem::copy(emulated::TestMachine::imageDir(), image,
                        std::filesystem::copy_options::recursive);
  m.writeFile(
      "D:\\rsp\\sitea.rsp",
      "PROD=QOR_TELVAR_DRIVER\nLIC_AGREEMENT=ACCEPT\nCOPY_NAME=SITEA\nFILE=C:\\apps\\SITEA\n");
  auto run = m.machine().run(image + "/setup",
                             {"/u", "D:\\rsp\\sitea.rsp", "/l", "C:\\temp\\semicolon.log"});
  ASSERT_EQ(run.exitCode, 0u) << run.out << run.err;
  const std::string log = m.machine().readFile("C:\\temp\\semicolon.log");
  EXPECT_TRUE(contains(log, "Transform C:\\media\\v1;2\\1033.mst applied")) << log;
  const std::string product = kUninstallKey + MachineWithImage::kDriverCode;
  EXPECT_EQ(registryValue(m.machine(), product, "InstallSource"), "C:\\media\\v1;2\\");
  const std::string transforms = registryValue(m.machine(), product, "Transforms");
  EXPECT_EQ(m.machine().readFile(transforms), m.machine().readFile("C:\\media\\v1;2\\1033.mst"))
      << transforms;
  EXPECT_TRUE(std::filesystem::exists(m.machine().hostPath("C:\\apps\\SITEA\\bin\\kv7drv.dll")));
}

// Deploying from shares: the image on one, the response file on another, the
// log collected on a third, in a folder still to be made.
TEST(InstallerRunTest, SetupStartedFromAShareInstallsWithItsFilesOnShares) {
  MachineWithImage m("\\\\fileserver\\images\\image\\");
  m.commitRegistry();
  m.machine().makeShare("fileserver", "rsp");
  m.machine().makeShare("fileserver", "logs");
  m.writeFile(
      "\\\\fileserver\\rsp\\a.rsp",
      "PROD=QOR_TELVAR_DRIVER\nLIC_AGREEMENT=ACCEPT\nCOPY_NAME=SITEA\nFILE=C:\\apps\\SITEA\n");
  std::vector<std::string> args = {"/u", "\\\\fileserver\\rsp\\a.rsp", "/l",
                                   "\\\\fileserver\\logs\\sub\\s.log", "-showcommand"};
  auto run = m.setup(args);
  ASSERT_EQ(run.exitCode, 0u) << run.out << run.err;
  for (const char* composed :
       {" /i \"\\\\fileserver\\images\\image\\\\QOR Telvar Driver for ODBC, CLI, and .NET.msi\" ",
        " RSP_FILE_PATH=\"\\\\fileserver\\rsp\\a.rsp\" "}) {
    EXPECT_NE(run.out.find(composed), std::string::npos) << composed << "\n" << run.out;
  }
  args.pop_back();
  run = m.setup(args);
  ASSERT_EQ(run.exitCode, 0u) << run.out << run.err;
  const std::string log = m.machine().readFile("\\\\fileserver\\logs\\sub\\s.log");
  EXPECT_NE(log.find("Installation success or error status: 0."), std::string::npos) << log;
  EXPECT_TRUE(std::filesystem::exists(m.machine().hostPath("C:\\apps\\SITEA\\bin\\kv7drv.dll")));
  EXPECT_NE(emulated::readHost(m.machine().dir() + "/system.reg")
                .find("\"InstallSource\"=\"\\\\\\\\fileserver\\\\images\\\\image\\\\\""),
            std::string::npos);

  // A response file on a share, a server or in a file that is not there.
  for (const char* missing : {"\\\\fileserver\\nothere\\a.rsp", "\\\\nothere\\rsp\\a.rsp",
                              "\\\\fileserver\\rsp\\nothere.rsp"}) {
    run = m.setup({"/u", missing, "/l", "\\\\fileserver\\logs\\missing.log"});
    EXPECT_EQ(run.exitCode, 8115u) << missing << run.out << run.err;
  }
}

}  // namespace
