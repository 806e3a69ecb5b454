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

// The bytes that code pages handle in their own way. The texts of every
// language's code page are decoded in the end-to-end test that draws each
// language's message box.
TEST(EmulatedCodePages, DecodeTheBytesEachCodePageHandlesInItsOwnWay) {
  struct Case {
    uint32_t codePage;
    std::string bytes;
    std::u16string text;
  } cases[] = {
      {932,
       "\x83Z\x83"
       "b\x83g\\",
       u"\u30BB\u30C3\u30C8\\"},                      // the backslash stays one
      {1252, "\x80\xF6\x81", u"\u20AC\u00F6\u0081"},  // 0x81 is undefined: its C1 control
      {0, "\x80\xF6", u"\u20AC\u00F6"},               // the system's: 1252
      {1255, "\xE4\xFA", u"\u05D4\u05EA"},            // the last letter, held for a mark, comes out
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
