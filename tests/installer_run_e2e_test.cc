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

}  // namespace

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
