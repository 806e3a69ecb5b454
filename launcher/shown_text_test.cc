#include "launcher/shown_text.h"

#include <memory>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "emulation/machine/message_box.h"
#include "emulation/testing/test_machine.h"
#include "launcher/launcher_codes.h"
#include "launcher/launcher_context.h"
#include "platform/platform.h"

namespace {

using testing::internal::CaptureStderr;
using testing::internal::CaptureStdout;
using testing::internal::GetCapturedStderr;
using testing::internal::GetCapturedStdout;

// Message files in the code pages they are staged in: Hebrew in 1255, which
// is not the emulated system's 1252, and German in 1252, which is.
constexpr char kHebrewDir[] = "C:\\img\\\\launchmsg\\iw_il";
constexpr char kGermanDir[] = "C:\\img\\\\launchmsg\\de_de";
// "התקנה" (installation) and "אזהרה" (warning) in code page 1255.
constexpr char kHebrewSetup[] = "\xE4\xFA\xF7\xF0\xE4";
constexpr char kHebrewWarning[] = "\xE0\xE6\xE4\xF8\xE4";
constexpr char kHebrewSetupUtf8[] = "\u05D4\u05EA\u05E7\u05E0\u05D4";

std::string messageFile(const std::string& setup, const std::string& warning) {
  return "CLI_SETUP=" + setup + "\nWARNING_HEADER=" + warning +
         "\nWARNING_LOGFILE_OVERWRITE=" + warning +
         "?\nIMSG_LAUNCHER_ERROR_UNKNOWN_PARAM=" + warning + "!\nLANGUAGE=" + setup +
         "\nHELP_OPTION=" + setup + "\nERROR_UNSUPPORTED_LOCALE=" + setup + " %s\n";
}

struct Shown {
  uint32_t code;
  std::vector<emulated::ShownBox> boxes;
};

class WhatSetupShows : public testing::Test {
 protected:
  void SetUp() override {
    machine_ = std::make_unique<emulated::TestMachine>();
    machine_->writeFile(std::string(kHebrewDir) + "\\Launch.pro",
                        messageFile(kHebrewSetup, kHebrewWarning));
    machine_->writeFile(std::string(kGermanDir) + "\\Launch.pro",
                        messageFile("Einrichtung \xFC", "Warnung \xF6"));
    machine_->writeFile("C:\\logs\\existing.log", "old log");
  }

  // Validates the options with the messages of messageDir, as setup does.
  Shown validate(const char* messageDir, std::vector<std::string> args) {
    args.insert(args.begin(), "setup");
    std::vector<char*> argv;
    for (std::string& a : args) argv.push_back(a.data());
    const int argc = static_cast<int>(argv.size());
    LauncherContext context;
    EXPECT_EQ(context.parseArguments(argc, argv.data()), 0u);
    context.messageDir.assign(messageDir);
    emulated::forgetShownBoxes();
    CaptureStdout();
    CaptureStderr();
    const uint32_t code = context.validateOptions(argc, argv.data());
    GetCapturedStderr();
    GetCapturedStdout();
    return {code, emulated::shownBoxes()};
  }

  std::unique_ptr<emulated::TestMachine> machine_;
};

constexpr uint32_t kRightToLeft = platform::kMbRtlReading | platform::kMbRight;

TEST_F(WhatSetupShows, BoxesHaveTheirIconAndTheirLanguagesReadingOrder) {
  const Shown unknown = validate(kHebrewDir, {"/z"});
  EXPECT_EQ(unknown.code, kUnknownArgument);
  ASSERT_EQ(unknown.boxes.size(), 2u);  // the message, then the usage text
  EXPECT_EQ(unknown.boxes[0].style, platform::kMbOk | platform::kMbIconError | kRightToLeft);
  EXPECT_EQ(unknown.boxes[1].style, platform::kMbOk | platform::kMbIconError | kRightToLeft);

  // Asked for, the usage text is no error.
  const Shown help = validate(kHebrewDir, {"/?"});
  ASSERT_EQ(help.boxes.size(), 1u);
  EXPECT_EQ(help.boxes[0].style, platform::kMbOk | kRightToLeft);
  EXPECT_NE(help.boxes[0].text.find(kHebrewSetupUtf8), std::string::npos) << help.boxes[0].text;

  const Shown question = validate(kHebrewDir, {"/l", "C:\\logs\\existing.log"});
  EXPECT_EQ(question.code, kUserDeclined);
  ASSERT_EQ(question.boxes.size(), 1u);
  EXPECT_EQ(question.boxes[0].style, platform::kMbYesNo | platform::kMbIconWarning | kRightToLeft);

  // A left-to-right language: left to right.
  const Shown german = validate(kGermanDir, {"/l", "C:\\logs\\existing.log"});
  ASSERT_EQ(german.boxes.size(), 1u);
  EXPECT_EQ(german.boxes[0].style, platform::kMbYesNo | platform::kMbIconWarning);
}

// A code or a path the user typed is a text of the system (1252), inserted
// into a Hebrew message (1255): each part is decoded in its own code page.
TEST_F(WhatSetupShows, TheUsersTextsAreDecodedInTheSystemsCodePage) {
  const Shown box = validate(kHebrewDir, {"/i", "G\xD6"});
  EXPECT_EQ(box.code, kUnsupportedLanguage);
  ASSERT_FALSE(box.boxes.empty());
  EXPECT_EQ(box.boxes[0].text, std::string(kHebrewSetupUtf8) + " G\u00D6");
  EXPECT_EQ(logFileText(composeShownText("\xE4 %s", {"\xF6"}), {1255, true}),
            "\xEF\xBB\xBF\u05D4 \u00F6");
}

TEST(ShownTextComposition, CutsTheTextAndItsSystemPartsTogether) {
  const ShownText whole = composeShownText("ab%scd%s", {"XYZ", "Q"});
  EXPECT_EQ(whole.bytes, "abXYZcdQ");
  ASSERT_EQ(whole.systemParts.size(), 2u);
  EXPECT_EQ(whole.systemParts[1].begin, 7u);
  const ShownText cut = composeShownText("ab%scd%s", {"XYZ", "Q"}, 5);
  EXPECT_EQ(cut.bytes, "abXY");
  ASSERT_EQ(cut.systemParts.size(), 1u);
  EXPECT_EQ(cut.systemParts[0].begin, 2u);
  EXPECT_EQ(cut.systemParts[0].end, 4u);
  ShownText joined("\xE4 ");
  joined += cut;
  EXPECT_EQ(decodeShownText(joined, {1255, true}), u"\u05D4 abXY");
  ASSERT_EQ(joined.systemParts.size(), 1u);
  EXPECT_EQ(joined.systemParts[0].begin, 4u);
}

TEST(ShownTextDecoding, FallsBackToTheSystemsCodePageAndKeepsEmptyTextsEmpty) {
  EXPECT_EQ(decodeShownText("\xE4", {}), u"\u00E4");
  EXPECT_EQ(decodeShownText("\xE4", {4711, false}), u"\u00E4");  // unknown: the system's
  EXPECT_EQ(decodeShownText("", {932, false}), u"");
  EXPECT_EQ(logFileText("\xE4", {1252, false}), "\xE4");
  EXPECT_EQ(logFileText("\xE4", {}), "\xE4");
  EXPECT_EQ(logFileText("\xE4", {1255, true}), "\xEF\xBB\xBF\xD7\x94");
}

}  // namespace
