#include "msicommand/launcher_response_file.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "emulation/testing/test_machine.h"
#include "launcher/launcher_context.h"
#include "responsefile/response_file.h"

namespace {

const std::string kRspPath = "D:\\rsp\\drv.rsp";
const std::string kMessageDir = "D:\\msg\\en_US";

// Each message as "<KEY> <arguments>", so that the order and the arguments of
// what the user is told can be compared in one text.
const char* const kMessages =
    "CLI_SETUP=Setup\n"
    "ERROR_RSP_INIT_FAILED=INIT %s\n"
    "ERROR_RSP_OPEN_FAILED=OPEN %s\n"
    "ERROR_RSP_VALUE_INVALID=INVALID %s %s %s\n"
    "ERROR_RSP_KW_NOT_FOUND=NOTFOUND %s %s\n"
    "ERROR_RSP_KW_NO_VALUE=NOVALUE %s %s\n"
    "ERROR_RSP_FAIL_READ_KEY=FAILREAD %s %s\n"
    "ERROR_NOMEM=NOMEM\n";

std::string shown(const std::string& text) { return "\nSetup:\n" + text + "\n"; }

class LauncherResponseFileTest : public ::testing::Test {
 protected:
  void SetUp() override {
    machine_.writeRegistry("");
    machine_.writeFile(kMessageDir + "\\Launch.pro", kMessages);
    machine_.makeDirectory("C:\\temp");
    context_.messageDir.assign(kMessageDir);
    context_.logFilePath.assign("C:\\temp\\drv.log");
    context_.responseFileMode = 1;
    context_.responseFilePath.assign(kRspPath);
  }

  // readLauncherResponseKeywords with what it printed.
  int32_t read(std::string* printed) {
    testing::internal::CaptureStdout();
    int32_t rc = readLauncherResponseKeywords(context_, kRspPath.c_str());
    *printed = testing::internal::GetCapturedStdout();
    return rc;
  }

  emulated::TestMachine machine_;
  LauncherContext context_;
};

TEST_F(LauncherResponseFileTest, CopyNameAndPathComeFromTheFile) {
  const std::string p = kRspPath;
  const struct Case {
    const char* what;
    const char* content;  // null: no file at all
    int32_t result;
    std::string copyName, installPath, messages;
    bool flagsSet;
  } cases[] = {
      {"BLANK is an empty copy name; an unknown keyword is no reason to stop",
       "COPY_NAME=BLANK\nBOGUS=1\nfile=C:\\apps\\SITEA\n", 0, "", "C:\\apps\\SITEA", "", true},
      {"an invalid product selection stops the run", "FILE=C:\\x\nPROD=NOPE\nCOPY_NAME=SITEA\n", -1,
       "", "", shown("INVALID " + p + " PROD NOPE"), false},
      {"an invalid value elsewhere does not", "INSTALL_TYPE=NOPE\nCOPY_NAME=SITEA\n", 0, "SITEA",
       "", shown("NOTFOUND " + p + " FILE") + shown("FAILREAD " + p + " FILE"), true},
      {"a copy name too long for its field stops the run",
       "COPY_NAME=AAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAA\n", -1, "", "",
       shown("INVALID " + p + " COPY_NAME " + std::string(65, 'A')) +
           shown("FAILREAD " + p + " COPY_NAME"),
       false},
      {"a file that cannot be opened", nullptr, 2, "", "", shown("OPEN " + p), false},
  };
  for (const Case& c : cases) {
    SetUp();
    context_.copyNameGiven = context_.installPathGiven = 0;
    context_.copyName.clear();
    context_.installPath.clear();
    context_.responseFile.reset();
    machine_.writeFile(kRspPath, c.content != nullptr ? c.content : "");
    if (c.content == nullptr) machine_.removePath(kRspPath);

    std::string printed;
    EXPECT_EQ(read(&printed), c.result) << c.what;
    EXPECT_EQ(printed, c.messages) << c.what;
    EXPECT_EQ(context_.copyName.view(), c.copyName) << c.what;
    EXPECT_EQ(context_.installPath.view(), c.installPath) << c.what;
    if (c.flagsSet) {
      EXPECT_TRUE(context_.copyNameGiven && context_.installPathGiven) << c.what;
    }
  }
}

TEST_F(LauncherResponseFileTest, FileIsLoadedOnceAndKeptByTheContext) {
  machine_.writeFile(kRspPath, "COPY_NAME=SITEA\n");
  ASSERT_EQ(loadLauncherResponseFile(context_, kRspPath.c_str()), 0);
  const ResponseFile* loaded = context_.responseFile.get();
  ASSERT_NE(loaded, nullptr);

  // A second call only looks at the status of the file already loaded.
  machine_.writeFile(kRspPath, "PROD=NOPE\n");
  EXPECT_EQ(loadLauncherResponseFile(context_, kRspPath.c_str()), 0);
  EXPECT_EQ(context_.responseFile.get(), loaded);
}

}  // namespace
