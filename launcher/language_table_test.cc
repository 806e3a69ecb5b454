#include "launcher/language_table.h"

#include <cstring>
#include <fstream>
#include <iterator>
#include <regex>
#include <string>

#include <gtest/gtest.h>

namespace {

TEST(LanguageTable, OptionCodesInEitherCase) {
  struct Case {
    const char* code;
    const char* localeDir;  // null: unsupported
    const char* lcid;
  } const cases[] = {
      {"DE", "de_de", "1031"},  {"de", "de_de", "1031"}, {"De", "de_de", "1031"},
      {"EN", "en_us", "1033"},  {"TW", "Zh_tw", "1028"}, {"cn", "zh_cn", "2052"},
      {"PT", "pt_pt", "2070"},  {"br", "pt_br", "1046"}, {"JP", "ja_jp", "1041"},
      {"GE", nullptr, nullptr}, {"", nullptr, nullptr},  {"DEU", nullptr, nullptr},
      {"D", nullptr, nullptr},
  };
  for (const auto& c : cases) {
    char locale[8] = "keep";
    char lcid[8] = "keep";
    EXPECT_EQ(isSupportedLanguage(c.code), c.localeDir != nullptr) << c.code;
    if (c.localeDir != nullptr) {
      EXPECT_EQ(localeDirForCode(c.code, locale, sizeof locale), 0) << c.code;
      EXPECT_STREQ(locale, c.localeDir);
      EXPECT_EQ(lcidForCode(c.code, lcid, sizeof lcid), 0) << c.code;
      EXPECT_STREQ(lcid, c.lcid);
    } else {
      EXPECT_EQ(localeDirForCode(c.code, locale, sizeof locale), -1) << c.code;
      EXPECT_EQ(lcidForCode(c.code, lcid, sizeof lcid), -1) << c.code;
      EXPECT_STREQ(locale, "keep");
      EXPECT_STREQ(lcid, "keep");
    }
  }
  EXPECT_FALSE(isSupportedLanguage(nullptr));
}

TEST(LanguageTable, SystemLanguageMatchesPrimaryAndSublanguage) {
  struct Case {
    uint16_t langId;
    const char* localeDir;  // null: no row
    const char* lcid;
  } const cases[] = {
      {0x0407, "de_de", "1031"},  // German (Germany): the bare primary row
      {0x0c07, "de_de", "1031"},  // German (Austria) too
      {0x0409, "en_us", "1033"}, {0x0809, "en_us", "1033"},
      {0x0804, "zh_cn", "2052"},                              // the "0404" row wants sublanguage 1
      {0x0404, "Zh_tw", "1028"}, {0x0c04, nullptr, nullptr},  // Chinese sublanguage 3: no row
      {0x040c, "fr_fr", "1036"}, {0x0c0c, nullptr, nullptr},  // French sublanguage 3: no row
      {0x0416, "pt_br", "1046"}, {0x0816, "pt_pt", "2070"},
      {0x0424, "sl_si", "1060"}, {0x0000, nullptr, nullptr},
  };
  for (const auto& c : cases) {
    char locale[8] = "keep";
    char lcid[8] = "keep";
    bool found = c.localeDir != nullptr;
    EXPECT_EQ(languageFieldForLangId(c.langId, kLanguageFieldLocaleDir, locale, sizeof locale),
              found)
        << std::hex << c.langId;
    EXPECT_EQ(languageFieldForLangId(c.langId, kLanguageFieldLcid, lcid, sizeof lcid), found);
    EXPECT_STREQ(locale, found ? c.localeDir : "keep");
    EXPECT_STREQ(lcid, found ? c.lcid : "keep");
  }
}

TEST(LanguageTable, ColumnSelectorsAndBufferSize) {
  char out[8] = "keep";
  EXPECT_TRUE(languageFieldForLangId(0x0407, kLanguageFieldLanguageId, out, sizeof out));
  EXPECT_STREQ(out, "0007");
  EXPECT_TRUE(languageFieldForLangId(0x0407, kLanguageFieldOptionCode, out, sizeof out));
  EXPECT_STREQ(out, "DE");
  for (int selector : {0, 5, -1}) {
    std::strcpy(out, "keep");
    EXPECT_FALSE(languageFieldForLangId(0x0407, selector, out, sizeof out)) << selector;
    EXPECT_STREQ(out, "keep");
  }
  char small[5] = "keep";
  EXPECT_FALSE(languageFieldForLangId(0x0407, kLanguageFieldLocaleDir, small, sizeof small));
  EXPECT_EQ(localeDirForCode("DE", small, sizeof small), -1);
  EXPECT_STREQ(small, "keep");
}

TEST(LanguageTable, EveryRowIsFoundBothWays) {
  // Each option code leads to its row, and each row's language id leads back
  // to the same row (a bare primary language asked for as sublanguage 1).
  for (const LanguageRow& row : kLanguageTable) {
    char locale[kLanguageFieldCapacity];
    ASSERT_EQ(localeDirForCode(row.optionCode, locale, sizeof locale), 0);
    EXPECT_STREQ(locale, row.localeDir);
    auto langId = static_cast<uint16_t>(std::stoul(row.languageId, nullptr, 16));
    if ((langId >> 10) == 0) langId |= 1u << 10;  // sublanguage 1 of a bare primary
    char code[kLanguageFieldCapacity];
    ASSERT_TRUE(languageFieldForLangId(langId, kLanguageFieldOptionCode, code, sizeof code));
    EXPECT_STREQ(code, row.optionCode);
  }
}

// The message files are staged in the code pages the cmake list names, and
// shown in the code pages the table names: the two must agree, or a text is
// decoded in another code page than it was written in.
TEST(LanguageTable, CodePagesAreThoseTheMessageFilesAreStagedIn) {
  std::ifstream list(KV7_LANGUAGE_CODE_PAGES_FILE);
  ASSERT_TRUE(list) << KV7_LANGUAGE_CODE_PAGES_FILE;
  const std::string text((std::istreambuf_iterator<char>(list)), std::istreambuf_iterator<char>());
  const std::regex entry(R"(([A-Za-z]{2}_[A-Za-z]{2}):CP(\d+))");
  std::size_t staged = 0;
  for (std::sregex_iterator it(text.begin(), text.end(), entry), end; it != end; ++it, ++staged) {
    const std::string dir = "C:\\image\\\\launchmsg\\" + (*it)[1].str();
    EXPECT_EQ(messageLanguageOf(dir).codePage, std::stoul((*it)[2].str())) << dir;
  }
  EXPECT_EQ(staged, kLanguageCount);
}

TEST(LanguageTable, MessageDirectoriesTellTheirLanguage) {
  struct Case {
    const char* messageDir;
    uint32_t codePage;
    bool rightToLeft;
  } const cases[] = {
      {"C:\\image\\\\launchmsg\\JA_JP\\", 932, false},  // any case, a backslash after it
      {"C:\\image\\\\launchmsg\\iw_il", 1255, true},
      {"Z:\\x\\ar_aa", 1256, true},
      {"ar_aa", 1256, true},
      {".\\", 0, false},  // the current directory's file: the system's code page
      {"C:\\image\\\\launchmsg\\xx_yy", 0, false},
      {"", 0, false},
  };
  for (const auto& c : cases) {
    const MessageLanguage language = messageLanguageOf(c.messageDir);
    EXPECT_EQ(language.codePage, c.codePage) << c.messageDir;
    EXPECT_EQ(language.rightToLeft, c.rightToLeft) << c.messageDir;
  }
}

}  // namespace
