#include <gtest/gtest.h>

#include <string>

#include "platform/platform.h"

namespace {

// Decodes bytes as MultiByteToWideChar does, asking for the size first.
std::u16string decode(uint32_t codePage, const std::string& bytes) {
  const auto length = static_cast<uint32_t>(bytes.size());
  const uint32_t needed = platform::multiByteToWide(codePage, bytes.data(), length, nullptr, 0);
  std::u16string wide(needed, u'\0');
  const uint32_t written =
      platform::multiByteToWide(codePage, bytes.data(), length, wide.data(), needed);
  EXPECT_EQ(written, needed);
  return wide;
}

// One text of every code page the launcher's languages are written in:
// the words of their message files, and the bytes each code page handles
// in its own way.
TEST(EmulatedCodePages, DecodeTheTextsOfEveryLanguagesCodePage) {
  struct Case {
    uint32_t codePage;
    std::string bytes;
    std::u16string text;
  } cases[] = {
      {932,
       "\x83Z\x83"
       "b\x83g\\",
       u"\u30BB\u30C3\u30C8\\"},  // the backslash stays one
      {936, "\xB0\xB2\xD7\xB0", u"\u5B89\u88C5"},
      {949, "\xBC\xB3\xC4\xA1", u"\uC124\uCE58"},
      {950, "\xA6w\xB8\xCB", u"\u5B89\u88DD"},
      {1250, "\x8A\x9A\xE8", u"\u0160\u0161\u010D"},
      {1251, "\xD3\xF1\xF2", u"\u0423\u0441\u0442"},
      {1252, "\x80\xF6\x81", u"\u20AC\u00F6\u0081"},  // 0x81 is undefined: its C1 control
      {0, "\x80\xF6", u"\u20AC\u00F6"},               // the system's: 1252
      {1253, "\xC5\xEB", u"\u0395\u03BB"},
      {1254, "\xD0\xFE", u"\u011E\u015F"},
      {1255, "\xE4\xFA", u"\u05D4\u05EA"},
      {1256, "\xC7\xE1", u"\u0627\u0644"},
      {65001, "\xC3\xB6\xE2\x82\xAC", u"\u00F6\u20AC"},
      // A pair 932 does not define and a lead byte cut off at the end.
      {932, "\x85@A\x83", u"\uFFFD@A\uFFFD"},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(decode(c.codePage, c.bytes), c.text) << "code page " << c.codePage;
  }
}

TEST(EmulatedCodePages, RefuseUnknownCodePagesAndBuffersTooSmall) {
  char16_t wide[4] = {u'x', u'x', u'x', u'x'};
  EXPECT_EQ(platform::multiByteToWide(4711, "abc", 3, wide, 4), 0u);
  EXPECT_EQ(platform::getLastError(), platform::kErrorInvalidParameter);
  // Three characters do not fit two units, and nothing is written.
  EXPECT_EQ(platform::multiByteToWide(1251, "\xD3\xF1\xF2", 3, wide, 2), 0u);
  EXPECT_EQ(platform::getLastError(), platform::kErrorInsufficientBuffer);
  EXPECT_EQ(wide[0], u'x');
  EXPECT_EQ(platform::ansiCodePage(), 1252u);
}

}  // namespace
