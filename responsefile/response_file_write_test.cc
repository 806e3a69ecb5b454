#include <gtest/gtest.h>

#include <string>

#include "emulation/testing/test_machine.h"
#include "responsefile/response_file.h"
#include "responsefile/test_support.h"

namespace {

class ResponseFileWrite : public ::testing::Test {
 protected:
  emulated::TestMachine machine;
};

TEST_F(ResponseFileWrite, StoresValidEntriesAndAnnouncesSecrets) {
  machine.writeFile("C:\\rsp\\in.rsp",
                    "PROD = QOR_TELVAR_DRIVER ## the driver\n"
                    "INSTALL_TYPE = BOGUS\n"
                    "FOO = 1\n"
                    "KAS_PASSWORD = p#ss\n"
                    "COPY_NAME = KV7COPY1\n"
                    "REBOOT = blank\n"
                    "KV7_DOCHOST = blank\n");
  ResponseFile file("C:\\rsp\\in.rsp");
  ASSERT_EQ(file.status(), RspContentInvalid);
  EXPECT_EQ(file.write("C:\\rsp\\out.rsp"), RspOk);
  EXPECT_EQ(file.status(), RspOk);
  EXPECT_EQ(machine.readFile("C:\\rsp\\out.rsp"),
            "PROD=QOR_TELVAR_DRIVER\r\n"
            "KAS_PASSWORD=p#ss\r\n"
            "ENCRYPTED=KAS_PASSWORD\r\n"
            "COPY_NAME=KV7COPY1\r\n"
            "KV7_DOCHOST=blank\r\n");

  // What was written loads back to the same valid entries.
  ResponseFile again("C:\\rsp\\out.rsp");
  EXPECT_EQ(again.status(), RspOk);
  EXPECT_EQ(again.entryCount(), 5);
  EXPECT_EQ(again.encryptedKeywords(), std::vector<std::string>{"KAS_PASSWORD"});
}

TEST_F(ResponseFileWrite, ATargetThatDoesNotOpenGivesStatusFour) {
  auto file = loadText("PROD=ALL\n");
  machine.makeDirectory("C:\\adir");
  EXPECT_EQ(file->write("C:\\adir"), RspWriteFailed);  // a folder stands at the name
  EXPECT_EQ(file->write("C:\\no\\such\\dir\\out.rsp"), RspWriteFailed);
  EXPECT_EQ(file->status(), RspWriteFailed);
  EXPECT_EQ(file->write(nullptr), RspWriteFailed);
  EXPECT_EQ(file->entryAt(0)->state(), EntryValid) << "no line was tried";
}

TEST_F(ResponseFileWrite, OpeningByWindowsPathReportsMissingFiles) {
  ResponseFile missing("C:\\rsp\\none.rsp");
  EXPECT_EQ(missing.status(), RspOpenFailed);
  EXPECT_STREQ(missing.fileName(), "C:\\rsp\\none.rsp");
  std::string longName = "C:\\" + std::string(300, 'n');
  ResponseFile tooLong(longName.c_str());
  EXPECT_EQ(tooLong.status(), RspOpenFailed);
  EXPECT_EQ(std::string(tooLong.fileName()), longName.substr(0, 260));
}

}  // namespace
