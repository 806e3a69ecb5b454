#include "launcher/log_path.h"

#include <string>

#include <gtest/gtest.h>

#include "launcher/path_utils.h"

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

TEST(LogPath, DocumentsFolderNeedsARealBuffer) {
  char small[10];
  EXPECT_EQ(myDocumentsFolder(nullptr, kPathCapacity), -1);
  EXPECT_EQ(myDocumentsFolder(small, sizeof small), -1);
}

}  // namespace
