#include "launcher/message_catalog.h"

#include <string>

#include <gtest/gtest.h>

#include "emulation/testing/test_machine.h"
#include "launcher/launcher_context.h"

namespace {

using testing::internal::CaptureStderr;
using testing::internal::CaptureStdout;
using testing::internal::GetCapturedStderr;
using testing::internal::GetCapturedStdout;

constexpr char kDir[] = "C:\\img\\\\launchmsg\\de_de";
constexpr char kEnglishFile[] = "C:\\img\\launchmsg\\en_US\\Launch.pro";
constexpr char kGermanFile[] = "C:\\img\\launchmsg\\de_de\\Launch.pro";

std::string lookup(const char* dir, const char* key, std::size_t capacity = kMessageCapacity) {
  std::string out(capacity, '#');
  EXPECT_EQ(lookupMessage(dir, key, out.data(), capacity), 0);
  return out.c_str();
}

TEST(MessageCatalog, LookupFollowsTheFileRules) {
  emulated::TestMachine machine;
  machine.writeFile(kGermanFile,
                    "LOG_FILE_PATH=wrong\n"
                    "not a key line\n"
                    " LOG_FILE=blank before the key\n"
                    "LOG_FILE=Protokolldatei\n"
                    "LOG_FILE=second wins nothing\n"
                    "EMPTY=\n"
                    "SPACED = a b \r\n"
                    "CRLF=Windows line\r\n"
                    "LAST=abc");
  struct Case {
    const char* key;
    const char* text;
  } const cases[] = {
      {"LOG_FILE", "Protokolldatei"},
      {"LOG_FILE_PATH", "wrong"},
      {"EMPTY", ""},
      {"SPACED ", " a b "},  // blanks around "=" belong to key and text
      {"SPACED", ""},        // the byte after the key must be "="
      {"CRLF", "Windows line"},
      {"LAST", "ab"},    // a last line without line feed loses its last character
      {"log_file", ""},  // keys are case-sensitive
      {"MISSING", ""},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(lookup(kDir, c.key), c.text) << c.key;
  }
}

TEST(MessageCatalog, LookupCutsToTheCapacity) {
  emulated::TestMachine machine;
  machine.writeFile(kGermanFile, "LONG=" + std::string(100, 'x') + "\n");
  EXPECT_EQ(lookup(kDir, "LONG", 64), std::string(63, 'x'));
  EXPECT_EQ(lookup(kDir, "LONG", 1), "");
  char untouched = 'u';
  EXPECT_EQ(lookupMessage(kDir, "LONG", &untouched, 0), 0);
  EXPECT_EQ(untouched, 'u');
}

TEST(MessageCatalog, LongLinesAreReadInPieces) {
  emulated::TestMachine machine;
  // The first piece of a long line holds 1023 characters; the rest of the
  // line is tested as a line of its own.
  std::string first = "K1=" + std::string(1020, 'a');
  machine.writeFile(kGermanFile, first + "K2=tail\nK3=next\n");
  EXPECT_EQ(lookup(kDir, "K1", 2000), std::string(1019, 'a'));
  EXPECT_EQ(lookup(kDir, "K2"), "tail");
  EXPECT_EQ(lookup(kDir, "K3"), "next");
}

TEST(MessageCatalog, MissingFilesAndKeysFallBackToEnglish) {
  emulated::TestMachine machine;
  machine.writeFile(kEnglishFile, "ONLY_EN=English text\nBOTH=English both\nBLANK=English\n");
  EXPECT_EQ(lookup(kDir, "ONLY_EN"), "English text");  // no German file at all

  machine.writeFile(kGermanFile, "BOTH=Deutsch beide\nBLANK=\n");
  EXPECT_EQ(lookup(kDir, "BOTH"), "Deutsch beide");
  EXPECT_EQ(lookup(kDir, "ONLY_EN"), "English text");  // key missing in German
  EXPECT_EQ(lookup(kDir, "BLANK"), "");                // present, though empty
  EXPECT_EQ(lookup(kDir, "NOWHERE"), "");
  EXPECT_EQ(lookup("C:\\img\\launchmsg\\en_US", "BOTH"), "English both");
  EXPECT_EQ(lookup("C:\\nowhere", "BOTH"), "");
}

class ShowMessage : public testing::Test {
 protected:
  ShowMessage() {
    machine_.writeFile(kGermanFile, "CLI_SETUP=Einrichtung\n");
    context_.messageDir.assign(kDir);
    context_.logFilePath.assign("C:\\logs\\run.log");
    machine_.makeDirectory("C:\\logs");
  }
  emulated::TestMachine machine_;
  LauncherContext context_;
};

TEST_F(ShowMessage, ConsoleModeWithoutCaptionOrLogFile) {
  context_.messageDir.assign("C:\\nowhere");
  context_.logFilePath.assign("C:\\missing dir\\run.log");
  CaptureStdout();
  EXPECT_EQ(showMessage(context_, "", true), 0);
  EXPECT_EQ(GetCapturedStdout(), "\n:\n\n");
}

TEST_F(ShowMessage, MessageBoxModeShowsNothingForAnEmptyText) {
  CaptureStdout();
  CaptureStderr();
  EXPECT_EQ(showMessage(context_, "", false), -1);
  EXPECT_EQ(showMessage(context_, "boxed text", false), 0);
  std::string drawn = GetCapturedStderr();
  EXPECT_EQ(GetCapturedStdout(), "");
  EXPECT_NE(drawn.find("Einrichtung"), std::string::npos) << drawn;
  EXPECT_NE(drawn.find("boxed text"), std::string::npos) << drawn;
  EXPECT_EQ(machine_.readFile("C:\\logs\\run.log"), "");
}

}  // namespace
