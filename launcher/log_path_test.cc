#include "launcher/log_path.h"

#include <regex>
#include <string>

#include <gtest/gtest.h>

#include "launcher/path_utils.h"
#include "platform/emulated/test_machine.h"
#include "platform/platform.h"

namespace {

std::tm makeTime(int year, int month, int day, int weekday, int hour, int minute, int second) {
  std::tm t{};
  t.tm_year = year - 1900;
  t.tm_mon = month - 1;
  t.tm_mday = day;
  t.tm_wday = weekday;
  t.tm_hour = hour;
  t.tm_min = minute;
  t.tm_sec = second;
  return t;
}

TEST(LogPath, TimeStampHasTwoDigitDayAndNoColons) {
  struct Case {
    std::tm time;
    const char* expected;
  } const cases[] = {
      {makeTime(2026, 12, 4, 5, 6, 24, 9), "Fri Dec 04 06_24_09 2026"},
      {makeTime(2027, 1, 31, 0, 23, 59, 59), "Sun Jan 31 23_59_59 2027"},
      {makeTime(2030, 7, 1, 1, 0, 0, 0), "Mon Jul 01 00_00_00 2030"},
  };
  for (const Case& c : cases) {
    std::string stamp = logTimeStamp(c.time);
    EXPECT_EQ(stamp, c.expected);
    EXPECT_EQ(stamp.size(), 24u);
  }
}

TEST(LogPath, DefaultLogPathUsesTheShortDocumentsFolder) {
  emulated::TestMachine machine;
  char documents[kPathCapacity] = {};
  ASSERT_EQ(myDocumentsFolder(documents, sizeof documents), 0);
  char shortForm[kPathCapacity] = {};
  ASSERT_NE(platform::getShortPathName(documents, shortForm, kPathCapacity), 0u);
  std::string folder = shortForm;
  ASSERT_NE(folder, documents);  // "Documents" is no 8.3 name

  PathText path;
  ASSERT_EQ(defaultLogPath(path, kLogBaseName), 1);
  std::string text(path.view());
  ASSERT_EQ(text.compare(0, folder.size() + 1, folder + "\\"), 0) << text;
  std::regex rest(R"(KV7LOG\\KV7-kvdriver_log-(Sun|Mon|Tue|Wed|Thu|Fri|Sat) )"
                  R"((Jan|Feb|Mar|Apr|May|Jun|Jul|Aug|Sep|Oct|Nov|Dec) )"
                  R"(\d\d \d\d_\d\d_\d\d \d{4}\.log)");
  EXPECT_TRUE(std::regex_match(text.substr(folder.size() + 1), rest)) << text;
  // The log directory is left for validation to create.
  EXPECT_EQ(platform::pathKind((folder + "\\KV7LOG").c_str()), platform::PathKind::kMissing);
}

TEST(LogPath, DocumentsFolderNeedsARealBuffer) {
  char small[10];
  EXPECT_EQ(myDocumentsFolder(nullptr, kPathCapacity), -1);
  EXPECT_EQ(myDocumentsFolder(small, sizeof small), -1);
}

}  // namespace
