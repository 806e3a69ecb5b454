// The staged setup composing its installer command on emulated machines, as
// deployment engineers run it.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tests/machine_with_image.h"

namespace {

const std::string kInstallerAndPackage =
    "C:\\Windows\\system32\\msiexec.exe /i \"D:\\media\\image\\\\QOR Telvar Driver for ODBC, "
    "CLI, and .NET.msi\"";
const std::string kLog = " /l*v \"C:\\temp\\drv.log\" KV7_LOG_FILE_PATH=\"C:\\temp\\drv.log\"";

// A copy of the driver at C:\apps\<name>.
struct DriverCopy {
  std::string name;
  uint32_t modification;
  std::string code;
};

// The default copy COPY00 (without one when first is 1) and one further copy
// in each instance slot from first to 15.
std::vector<DriverCopy> furtherCopies(uint32_t first) {
  std::vector<DriverCopy> copies;
  if (first > 1) copies.push_back({"COPY00", 600, MachineWithImage::kDriverCode});
  for (uint32_t slot = first; slot <= 15; ++slot) {
    copies.push_back({"COPY" + std::to_string(slot + 10), 600, MachineWithImage::slotCode(slot)});
  }
  return copies;
}

// The install type decided from the copies on the machine and the options,
// and the command composed for it.
TEST(ComposedCommandTest, CommandFollowsTheCopiesAndTheOptions) {
  const std::string code3 = MachineWithImage::slotCode(3);
  const std::string code4 = MachineWithImage::slotCode(4);
  const std::string base = MachineWithImage::kDriverCode;
  const struct {
    const char* what;
    std::vector<DriverCopy> copies;
    std::vector<std::string> args;
    uint32_t exitCode;
    std::string tail;                      // after the installer, the package and the log
    const char* systemLanguage = nullptr;  // null: none named
  } cases[] = {
      {"a first copy in the language of /i",
       {},
       {"/i", "DE"},
       0,
       " KV7_INSTALL_LANG=\"DE\" TRANSFORMS=1031.mst"},
      {"a further copy takes slot fifteen",
       {{"SITEA", 500, base}},
       {"/n", "SITEB", "/p", "C:\\apps\\SITEB"},
       0,
       " MSINEWINSTANCE=1  TRANSFORMS=:inst15.mst;1031.mst KV7_COPY_NAME=\"SITEB\" "
       "INSTALLDIR=\"C:\\apps\\SITEB\"",
       "0407"},
      {"a silent reinstall of the default copy from a response file",
       {{"SITEA", 500, base}},
       {"/u", "D:\\rsp\\drv.rsp"},
       0,
       " RSP_FILE_PATH=\"D:\\rsp\\drv.rsp\" /qn  TRANSFORMS=1033.mst REINSTALLMODE=vomus "
       "REINSTALL=ALL  KV7_COPY_NAME=\"SITEA\" COPY_NAME_OVERRIDE=\"SITEA\" "
       "INSTALLDIR=\"C:\\apps\\SITEA\""},
      // A copy named by /n: /n is taken as typed, the copy gives its path.
      {"maintain the default copy",
       {{"SITEA", 600, base}},
       {"/n", "sitea"},
       0,
       " TRANSFORMS=1033.mst KV7_COPY_NAME=\"sitea\" INSTALLDIR=\"C:\\apps\\SITEA\""},
      {"reinstall the default copy",
       {{"SITEA", 599, base}},
       {"/n", "sitea"},
       0,
       " TRANSFORMS=1033.mst REINSTALLMODE=vomus REINSTALL=ALL  KV7_COPY_NAME=\"sitea\" "
       "INSTALLDIR=\"C:\\apps\\SITEA\""},
      {"maintain an instance copy",
       {{"SITEA", 700, code3}},
       {"/n", "sitea"},
       0,
       " MSIINSTANCEGUID=" + code3 +
           " TRANSFORMS=1033.mst KV7_COPY_NAME=\"sitea\" INSTALLDIR=\"C:\\apps\\SITEA\""},
      {"reinstall an instance copy",
       {{"SITEA", 500, code3}},
       {"/n", "sitea"},
       0,
       " MSIINSTANCEGUID=" + code3 +
           " TRANSFORMS=1033.mst REINSTALLMODE=vomus REINSTALL=ALL  KV7_COPY_NAME=\"sitea\" "
           "INSTALLDIR=\"C:\\apps\\SITEA\""},
      // A copy named by its install path: the run takes its name; the path
      // stays as typed.
      {"an instance copy by its path",
       {{"SITEA", 500, base}, {"SITEB", 700, code4}},
       {"/p", "c:\\APPS\\siteb"},
       0,
       " MSIINSTANCEGUID=" + code4 +
           " TRANSFORMS=1033.mst KV7_COPY_NAME=\"SITEB\" INSTALLDIR=\"c:\\APPS\\siteb\""},
      {"a new copy takes the next slot down when fifteen is taken",
       {{"SITEA", 600, base}, {"SITEB", 600, MachineWithImage::slotCode(15)}},
       {"/o"},
       0,
       " MSINEWINSTANCE=1  TRANSFORMS=:inst14.mst;1033.mst"},
      {"fifteen further copies still pass",
       furtherCopies(2),
       {"/o"},
       0,
       " MSINEWINSTANCE=1  TRANSFORMS=:inst1.mst;1033.mst"},
      // Below the maximum, but no slot is left: the composition stops before
      // the new-instance property, without a message.
      {"fifteen copies in slots 1 to 15 and none under the base code",
       furtherCopies(1),
       {"/o"},
       8118,
       ""},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    MachineWithImage m;
    if (c.systemLanguage != nullptr) m.setSystemLanguage(c.systemLanguage);
    for (const DriverCopy& copy : c.copies) {
      m.addDriverCopy(copy.name, "C:\\apps\\" + copy.name, copy.modification, copy.code);
    }
    m.commitRegistry();
    m.writeFile("D:\\rsp\\drv.rsp", "COPY_NAME=SITEA\nFILE=C:\\apps\\SITEA\n");
    std::vector<std::string> args = c.args;
    for (const char* arg : {"/l", "C:\\temp\\drv.log", "-showcommand"}) args.push_back(arg);
    auto run = m.setup(args);
    EXPECT_EQ(run.exitCode, c.exitCode) << run.err;
    EXPECT_EQ(run.out, kInstallerAndPackage + kLog + c.tail);
    EXPECT_EQ(run.err.find("+---"), std::string::npos) << run.err;
  }
}

TEST(ComposedCommandTest, SixteenCopiesAreTheMaximum) {
  MachineWithImage m;
  m.addDefaultAndFurtherCopies(1);
  m.commitRegistry();
  // A new copy needs a slot: refused, with the reason on the console.
  auto refused = m.setup({"/l", "C:\\temp\\drv.log", "/o", "-showcommand"});
  EXPECT_EQ(refused.exitCode, 8118u);
  auto plain = m.setup({"/l", "C:\\temp\\drv.log", "/o"});
  EXPECT_EQ(plain.exitCode, 8115u);
  EXPECT_NE(plain.out.find("Return code is 8118\n"), std::string::npos) << plain.out;
  // Maintaining the default copy by name makes no scan and is not refused.
  auto maintain = m.setup({"/l", "C:\\temp\\drv.log", "/n", "COPY00", "-showcommand"});
  EXPECT_EQ(maintain.exitCode, 0u) << maintain.err;
}

TEST(ComposedCommandTest, InvalidProductSelectionStopsTheRun) {
  MachineWithImage m;
  m.writeFile("D:\\rsp\\bad.rsp", "PROD=NO_SUCH_PRODUCT\nCOPY_NAME=SITEA\n");
  m.commitRegistry();
  auto run = m.setup({"/u", "D:\\rsp\\bad.rsp", "/l", "C:\\temp\\drv.log"});
  EXPECT_EQ(run.exitCode, 8115u);
  EXPECT_NE(run.out.find("NO_SUCH_PRODUCT"), std::string::npos) << run.out;
  EXPECT_NE(run.out.find("Return code is -1\n"), std::string::npos) << run.out;
}

TEST(ComposedCommandTest, ResponseFileWithoutCopyNameAndPathSaysSoAndGoesOn) {
  MachineWithImage m;
  m.writeFile("D:\\rsp\\empty.rsp", "INSTALL_TYPE=TYPICAL\n");
  m.commitRegistry();
  auto run = m.setup({"/u", "D:\\rsp\\empty.rsp", "/l", "C:\\temp\\drv.log", "-showcommand"});
  EXPECT_EQ(run.exitCode, 0u) << run.err;
  // Four messages, in this order, each in the console format, then the
  // command with empty copy properties.
  const std::string rsp = "D:\\rsp\\empty.rsp";
  const std::string expectedMessages =
      "\nQOR Telvar Driver Setup:\nThe response file " + rsp +
      " does not contain the keyword COPY_NAME.\n"
      "\nQOR Telvar Driver Setup:\nA value could not be read from the response file " +
      rsp +
      " for the keyword COPY_NAME.\n"
      "\nQOR Telvar Driver Setup:\nThe response file " +
      rsp +
      " does not contain the keyword FILE.\n"
      "\nQOR Telvar Driver Setup:\nA value could not be read from the response file " +
      rsp + " for the keyword FILE.\n";
  EXPECT_EQ(run.out, expectedMessages + kInstallerAndPackage + kLog + " RSP_FILE_PATH=\"" + rsp +
                         "\" /qn  TRANSFORMS=1033.mst KV7_COPY_NAME=\"\" COPY_NAME_OVERRIDE=\"\"");
  // The log file keeps the last message only.
  EXPECT_EQ(
      m.machine().readFile("C:\\temp\\drv.log"),
      "A value could not be read from the response file " + rsp + " for the keyword FILE.\r\n");
}

TEST(ComposedCommandTest, PlainRunAsksBeforeMaintainingTheDefaultCopy) {
  MachineWithImage m;
  m.addDriverCopy("SITEA", "C:\\apps\\SITEA", 500, MachineWithImage::kDriverCode);
  m.commitRegistry();
  auto yes = m.setup({"/l", "C:\\temp\\drv.log", "-showcommand"}, {{"KV7_MSGBOX_ANSWERS", "yes"}});
  EXPECT_EQ(yes.exitCode, 0u) << yes.err;
  EXPECT_NE(yes.err.find("SITEA"), std::string::npos) << "the question names the copy";
  EXPECT_EQ(yes.out,
            kInstallerAndPackage + kLog +
                " TRANSFORMS=1033.mst REINSTALLMODE=vomus REINSTALL=ALL  KV7_COPY_NAME=\"SITEA\" "
                "INSTALLDIR=\"C:\\apps\\SITEA\"");

  auto no = m.setup({"/l", "C:\\temp\\drv.log"}, {{"KV7_MSGBOX_ANSWERS", "no"}});
  EXPECT_EQ(no.exitCode, 8115u);
  EXPECT_NE(no.out.find("Return code is 8102\n"), std::string::npos) << no.out;
}

TEST(ComposedCommandTest, WithOnlyFurtherCopiesAPlainRunAsksWithoutACopyName) {
  MachineWithImage m;
  m.addDriverCopy("SITEB", "C:\\apps\\SITEB", 700, MachineWithImage::slotCode(4));
  m.commitRegistry();
  const std::string question = "is already installed in the copy . Do you want to continue";
  auto yes = m.setup({"/l", "C:\\temp\\drv.log", "-showcommand"}, {{"KV7_MSGBOX_ANSWERS", "yes"}});
  EXPECT_EQ(yes.exitCode, 0u) << yes.err;
  EXPECT_NE(yes.err.find(question), std::string::npos) << yes.err;
  // Yes: a first copy under the base product code, no instance slot taken.
  EXPECT_EQ(yes.out, kInstallerAndPackage + kLog + " TRANSFORMS=1033.mst");

  auto no = m.setup({"/l", "C:\\temp\\drv.log"}, {{"KV7_MSGBOX_ANSWERS", "no"}});
  EXPECT_EQ(no.exitCode, 8115u);
  EXPECT_NE(no.err.find(question), std::string::npos) << no.err;
  EXPECT_NE(no.out.find("Return code is 8102\n"), std::string::npos) << no.out;
}

TEST(ComposedCommandTest, MissingPackageIsReportedBeforeAnythingElse) {
  MachineWithImage m;
  m.commitRegistry();
  std::remove(
      m.machine()
          .hostPath(std::string(MachineWithImage::kImageDir) + MachineWithImage::kPackageName)
          .c_str());
  auto run = m.setup({"/u", "D:\\no\\such.rsp", "/l", "C:\\temp\\drv.log", "-showcommand"});
  // The response file is checked by the options first (8111); with a valid
  // one the package is looked at before the file is read.
  EXPECT_EQ(run.exitCode, 8115u);
  m.writeFile("D:\\rsp\\drv.rsp", "COPY_NAME=SITEA\n");
  auto missing = m.setup({"/u", "D:\\rsp\\drv.rsp", "/l", "C:\\temp\\drv.log", "-showcommand"});
  EXPECT_EQ(missing.exitCode, 8121u);
  EXPECT_NE(missing.out.find("QOR Telvar Driver for ODBC, CLI, and .NET.msi"), std::string::npos)
      << missing.out;
  // A plain run reports the composition's code and fails.
  auto plain = m.setup({"/l", "C:\\temp\\plain.log"});
  EXPECT_EQ(plain.exitCode, 8115u);
  EXPECT_EQ(plain.out, "Return code is 8121\n");
}

}  // namespace
