#include "image/code_page_text.h"

#include <gtest/gtest.h>

namespace image {
namespace {

TEST(ConvertText, RoundTripsTextThroughAWindowsCodePage) {
  const struct {
    const char* codePage;
    std::string utf8;
    std::string encoded;
  } cases[] = {
      {"CP1252",
       "Gr\xC3\xBC\xC3\x9F"
       "e",
       "Gr\xFC\xDF"
       "e"},                                                      // German umlaut and sharp s
      {"CP1250", "\xC5\x82\xC3\xB3", "\xB3\xF3"},                 // Polish l with stroke, o acute
      {"CP1251", "\xD0\xAF", "\xDF"},                             // Cyrillic capital ya
      {"CP932", "\xE8\xA8\xAD\xE5\xAE\x9A", "\x90\xDD\x92\xE8"},  // Japanese "setting"
      {"CP1252", "plain %s", "plain %s"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.codePage);
    EXPECT_EQ(convertText(c.utf8, "UTF-8", c.codePage).value_or("?"), c.encoded);
    EXPECT_EQ(convertText(c.encoded, c.codePage, "UTF-8").value_or("?"), c.utf8);
  }
}

TEST(ConvertText, RefusesWhatTheTargetCannotHold) {
  EXPECT_FALSE(convertText("\xC5\x82", "UTF-8", "CP1252").has_value());  // l with stroke
  EXPECT_FALSE(convertText("\xC3", "UTF-8", "CP1252").has_value());      // cut sequence
  EXPECT_FALSE(convertText("abc", "UTF-8", "NO-SUCH-CODE-PAGE").has_value());
}

// Texts longer than one working chunk: every staged message file is decoded
// whole by the message-file checks.

}  // namespace
}  // namespace image
