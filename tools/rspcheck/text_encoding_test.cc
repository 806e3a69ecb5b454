#include "tools/rspcheck/text_encoding.h"

#include <gtest/gtest.h>

#include <string>

namespace {

using namespace std::string_literals;

// The four forms as a whole file begins are the report's UTF-16 test; here
// the heads at the edges.
TEST(TextEncoding, RecognizesUtf16ByItsMarkOrItsNulBytes) {
  const struct {
    std::string head;
    Utf16Form form;
  } cases[] = {
      {"\xFF\xFE"s, Utf16Form::kLittleEndianWithMark},  // nothing but the mark
      {"\n\0P\0"s, Utf16Form::kLittleEndian},           // a blank first line
      {"P\0"s, Utf16Form::kLittleEndian},               // a file of one character
      {"P\0R"s, Utf16Form::kLittleEndian},              // the second character cut off
      {"PROD"s, Utf16Form::kNone},
      {"\xEF\xBB\xBFP"s, Utf16Form::kNone},  // UTF-8 with its mark
      {"P\0RO"s, Utf16Form::kNone},          // one NUL does not make UTF-16
      {"\0\0P\0"s, Utf16Form::kNone},
      {"P"s, Utf16Form::kNone},
      {""s, Utf16Form::kNone},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(recognizeUtf16(c.head), c.form) << ::testing::PrintToString(c.head);
  }
}

TEST(TextEncoding, TellsUtf8WithCharactersBeyondAsciiFromOtherText) {
  const struct {
    std::string text;
    bool utf8;
  } cases[] = {
      {"Z\xC3\xBCrich", true},
      {"\xE2\x82\xAC 5", true},      // the euro sign, three bytes
      {"\xF0\x9F\x98\x80", true},    // four bytes
      {"COPY_NAME=SITEA", false},    // ASCII alone is not worth a word
      {"Z\xFCrich", false},          // code page 1252
      {"\xC3\xBC and \xFC", false},  // one byte that UTF-8 cannot hold
      {"\xC3", false},               // cut off
      {"\xC0\xAF", false},           // an overlong '/'
      {"\xE0\x80\xAF", false},       // another
      {"\xED\xA0\x80", false},       // a surrogate
      {"\xF4\x90\x80\x80", false},   // beyond U+10FFFF
      {"\xC3\xBC" + std::string(20, 'x') + "\xFC", false},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(holdsUtf8Sequences(c.text), c.utf8) << ::testing::PrintToString(c.text);
  }
}

// The quick look at a block finds a byte beyond ASCII wherever it sits, in
// the 64 bytes it reads at a time or in the bytes after them.
TEST(TextEncoding, FindsABytesBeyondAsciiAnywhereInABlock) {
  for (std::size_t size : {1u, 7u, 8u, 9u, 64u, 67u}) {
    EXPECT_FALSE(holdsNonAsciiByte(std::string(size, '\x7F'))) << size;
    for (std::size_t at = 0; at < size; ++at) {
      std::string text(size, 'a');
      text[at] = '\x80';
      EXPECT_TRUE(holdsNonAsciiByte(text)) << size << " " << at;
    }
  }
  EXPECT_FALSE(holdsNonAsciiByte(""));
}

// Both readings of a UTF-8 line are spelled out in the warnings' own test;
// here the characters that line does not hold.
TEST(TextEncoding, SpellsBothReadingsOutInAscii) {
  // Characters without a name in the table keep their code point; control
  // characters are no printable run.
  EXPECT_EQ(describeCharacters(U"a\u0416\tb\u20AC"), "'a', U+0416, U+0009, 'b', U+20AC EURO SIGN");
  // The emulated machine's code page is 1252, as a Western Windows's.
  EXPECT_EQ(readInSystemCodePage("\x80\x81"), U"\u20AC\u0081");
  EXPECT_TRUE(decodeUtf8("\xFC").empty());
}

}  // namespace
