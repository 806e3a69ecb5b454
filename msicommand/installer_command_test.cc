#include "msicommand/installer_command.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "emulation/testing/test_machine.h"
#include "launcher/launcher_context.h"

namespace {

const std::string kImage = "D:\\media\\image\\";
const std::string kPackage = "QOR Telvar Driver for ODBC, CLI, and .NET.msi";
const std::string kStart =
    "C:\\Windows\\system32\\msiexec.exe /i \"D:\\media\\image\\\\" + kPackage + "\"";
const std::string kLogPath = "C:\\temp\\drv.log";
const std::string kRspPath = "D:\\rsp\\drv.rsp";
const std::string kMessageDir = "D:\\msg\\en_US";

std::string systemLanguage(const std::string& languageId) {
  return "[HKEY_LOCAL_MACHINE\\SYSTEM\\CurrentControlSet\\Control\\Nls\\Language]\n"
         "\"Default\"=\"" +
         languageId + "\"\n";
}

// A machine without any installed copy whose image holds the package and the
// given language transforms, and a run's context filled by the caller, as the
// option parser would have left it.
class InstallerCommandTest : public ::testing::Test {
 protected:
  void prepare(const std::string& registry, const std::vector<std::string>& transforms) {
    machine_ = std::make_unique<emulated::TestMachine>();
    machine_->writeRegistry(registry);
    machine_->writeFile(kImage + kPackage, "package");
    for (const std::string& name : transforms) machine_->writeFile(kImage + name, "transform");
    machine_->writeFile(kMessageDir + "\\Launch.pro",
                        "CLI_SETUP=Setup\nERROR_ACCESSING=Cannot access %s.\n");
    machine_->makeDirectory("C:\\temp");
    context_ = std::make_unique<LauncherContext>();
    context_->imageDir.assign(kImage);
    context_->messageDir.assign(kMessageDir);
    context_->errorFlag = 1;  // composing must report its own outcome
  }

  // Composes into a buffer of size bytes followed by guard bytes.
  uint32_t compose(std::size_t size = 4097) {
    buffer_.assign(size + 16, '#');
    return composeInstallerCommand(*context_, buffer_.data(), size);
  }
  std::string command() const { return buffer_.data(); }
  bool guardBytesIntact(std::size_t size) const {
    for (std::size_t i = size; i < buffer_.size(); ++i) {
      if (buffer_[i] != '#') return false;
    }
    return true;
  }

  std::unique_ptr<emulated::TestMachine> machine_;
  std::unique_ptr<LauncherContext> context_;
  std::vector<char> buffer_;
};

// The log, the copy name and path with and without a response file, and a
// language's own transform are checked end to end.
TEST_F(InstallerCommandTest, OptionsBecomeSwitchesAndPropertiesInTheirOrder) {
  const struct Case {
    const char* what;
    std::string responseFile;  // content, or empty for a run without /u
    std::function<void(LauncherContext&)> options;
    std::string expected;
  } cases[] = {
      {"no log path: neither the log switch nor its property", "", [](LauncherContext&) {}, kStart},
      {"response file with /m: basic interface", "COPY_NAME=SITEA\n",
       [](LauncherContext& c) { c.basicUiRequested = 1; },
       kStart + " RSP_FILE_PATH=\"D:\\rsp\\drv.rsp\" /qb  KV7_COPY_NAME=\"SITEA\" " +
           "COPY_NAME_OVERRIDE=\"SITEA\""},
      {"/n and /p win over the response file", "COPY_NAME=OTHER\nFILE=C:\\other\n",
       [](LauncherContext& c) {
         c.copyNameGiven = 1;
         c.copyName.assign("SITEC");
         c.installPathGiven = 1;
         c.installPath.assign("C:\\apps\\SITEC");
       },
       kStart + " RSP_FILE_PATH=\"D:\\rsp\\drv.rsp\" /qn  KV7_COPY_NAME=\"SITEC\" " +
           "COPY_NAME_OVERRIDE=\"SITEC\" INSTALLDIR=\"C:\\apps\\SITEC\""},
  };
  for (const Case& c : cases) {
    prepare("", {});
    if (!c.responseFile.empty()) {
      machine_->writeFile(kRspPath, c.responseFile);
      context_->responseFileMode = 1;
      context_->responseFilePath.assign(kRspPath);
    }
    c.options(*context_);
    testing::internal::CaptureStdout();
    EXPECT_EQ(compose(), 0u) << c.what;
    testing::internal::GetCapturedStdout();
    EXPECT_EQ(command(), c.expected) << c.what;
    EXPECT_EQ(context_->errorFlag, 0u) << c.what;
  }
}

TEST_F(InstallerCommandTest, LanguageTransformFallsBackToEnglishOnlyForAKnownLanguage) {
  const struct Case {
    const char* what;
    std::string registry;
    const char* languageOption;  // null: no /i
    std::vector<std::string> transforms;
    std::string expected;
  } cases[] = {
      {"/i without its transform: English, the code as typed",
       "",
       "de",
       {"1033.mst"},
       " KV7_INSTALL_LANG=\"de\" TRANSFORMS=1033.mst"},
      {"/i and no transform at all", "", "De", {}, " KV7_INSTALL_LANG=\"De\""},
      {"system language without its transform",
       systemLanguage("0407"),
       nullptr,
       {"1033.mst"},
       " TRANSFORMS=1033.mst"},
      {"system language unknown: not even English",
       systemLanguage("0436"),
       nullptr,
       {"1033.mst"},
       ""},
  };
  for (const Case& c : cases) {
    prepare(c.registry, c.transforms);
    if (c.languageOption != nullptr) {
      context_->languageGiven = 1;
      context_->languageCode.assign(c.languageOption);
    }
    EXPECT_EQ(compose(), 0u) << c.what;
    EXPECT_EQ(command(), kStart + c.expected) << c.what;
  }
}

TEST_F(InstallerCommandTest, LongestCommandIsTwoBelowTheBufferSize) {
  prepare("", {});
  context_->logFilePath.assign(kLogPath);
  context_->copyName.assign("SITEA");
  ASSERT_EQ(compose(), 0u);
  const std::string full = command();

  ASSERT_EQ(compose(full.size() + 2), 0u) << "a command of bufferSize - 2 characters fits";
  EXPECT_EQ(command(), full);
  EXPECT_EQ(context_->errorFlag, 0u);

  EXPECT_EQ(compose(full.size() + 1), 5006u);
  EXPECT_EQ(context_->errorFlag, 1u);
  EXPECT_TRUE(guardBytesIntact(full.size() + 1));
  EXPECT_EQ(full.rfind(command(), 0), 0u) << "the buffer keeps what was composed";

  EXPECT_EQ(compose(20), 5006u);
  EXPECT_TRUE(guardBytesIntact(20));
}

TEST_F(InstallerCommandTest, MissingPackageIsReportedBeforeTheResponseFileIsRead) {
  prepare("", {"1033.mst"});
  machine_->removePath(kImage + kPackage);
  context_->logFilePath.assign(kLogPath);
  context_->responseFileMode = 1;
  context_->responseFilePath.assign("D:\\rsp\\missing.rsp");
  testing::internal::CaptureStdout();
  EXPECT_EQ(compose(), 8121u);
  const std::string shown = testing::internal::GetCapturedStdout();
  EXPECT_EQ(shown, "\nSetup:\nCannot access D:\\media\\image\\\\" + kPackage + ".\n");
  EXPECT_EQ(context_->errorFlag, 1u);
  EXPECT_EQ(context_->responseFile, nullptr) << "the response file is not looked at";
}

}  // namespace
