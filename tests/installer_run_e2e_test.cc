// A run without -showcommand: the composed command runs, and the installer's
// exit code becomes the launcher's.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>

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
  EXPECT_EQ(MachineWithImage::readHost(record),
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
  EXPECT_NE(MachineWithImage::readHost(m.machine().dir() + "/system.reg")
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
