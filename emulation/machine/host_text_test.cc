#include "emulation/machine/host_text.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <optional>
#include <string>
#include <vector>

namespace {

TEST(EmulatedHostText, UnicodeBecomesTheCodePageWithWindowsBestFit) {
  struct Case {
    std::string utf8;
    std::string ansi;
  };
  const Case cases[] = {
      {"Z\xC3\xBCrich", "Z\xFCrich"},                            // the code page's own letter
      {"\xE2\x82\xAC \xC5\x93 \xE2\x84\xA2", "\x80 \x9C \x99"},  // and its own signs at 0x80-0x9F
      {"\xC5\x81\xC3\xB3w \xC5\xBA", "L\xF3w z"},  // best fit: the letter without its mark
      {"\xE2\x88\x9E \xE2\x89\x88 \xC6\x91", "8 \x98 \x83"},  // best fit into 0x80-0x9F as well
      {"\xEF\xBC\xBA\xEF\xBD\x9E", "Z~"},                     // fullwidth forms
      {"\xE2\x98\x83 \xE4\xB8\xAD", "? ?"},                   // no best fit
      {"\xF0\x9F\x98\x80", "?"},                              // past U+FFFF: one "?"
      {"\xC2\x80\xC2\x81", "?\x81"},        // C1 controls: only the five 1252 lacks
      {"a\xC3", "a?"},                      // a cut sequence
      {"\xE2\x82x\xED\xA0\x80", "??x???"},  // one "?" a byte, a surrogate's too
  };
  for (const Case& c : cases) EXPECT_EQ(emulated::utf8ToAnsiBestFit(c.utf8), c.ansi) << c.utf8;
}

// Sets the locale variables for one test and puts them back.
class LocaleVariables {
 public:
  explicit LocaleVariables(const char* all) {
    for (const char* name : kNames) {
      const char* value = std::getenv(name);
      saved_.push_back(value ? std::optional<std::string>(value) : std::nullopt);
      ::unsetenv(name);
    }
    if (all != nullptr) ::setenv("LC_ALL", all, 1);
  }
  ~LocaleVariables() {
    for (std::size_t i = 0; i < saved_.size(); ++i) {
      if (saved_[i]) {
        ::setenv(kNames[i], saved_[i]->c_str(), 1);
      } else {
        ::unsetenv(kNames[i]);
      }
    }
  }

 private:
  static constexpr const char* kNames[] = {"LC_ALL", "LC_CTYPE", "LANG"};
  std::vector<std::optional<std::string>> saved_;
};

TEST(EmulatedHostText, HostTextIsReadInTheLocalesCharacterSet) {
  struct Case {
    const char* locale;  // LC_ALL; null: no locale variable
    std::string charset;
    std::string typed;
    std::string ansi;
  };
  const Case cases[] = {
      {nullptr, "UTF-8", "Z\xC3\xBCrich", "Z\xFCrich"},  // the C locale's ASCII: read as UTF-8
      {"C.UTF-8", "UTF-8", "Z\xC3\xBCrich", "Z\xFCrich"},
      {"xx_XX.UTF-8", "UTF-8",
       "\xC5\x81"
       "odz",
       "Lodz"},  // named, not installed
      {"de_DE.ISO-8859-1", "ISO-8859-1", "Z\xFCrich", "Z\xFCrich"},
      {"ru_RU.KOI8-R@euro", "KOI8-R", "\xF6 x", "? x"},  // Cyrillic: no best fit
  };
  for (const Case& c : cases) {
    LocaleVariables locale(c.locale);
    EXPECT_EQ(emulated::hostCharacterSet(), c.charset) << (c.locale ? c.locale : "none");
    EXPECT_EQ(emulated::hostTextToAnsi(c.typed), c.ansi) << (c.locale ? c.locale : "none");
  }
}

}  // namespace
