#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string_view>

// The 29 languages the launcher runs in, each in four forms: the decimal
// LCID (names the installer's language transform, "1033.mst"), the
// hexadecimal language id (matched against the system default language),
// the two-letter option code (typed after /i) and the locale directory (the
// subdirectory of "launchmsg" holding the message file); with the Windows
// code page its message file is written in and whether it reads right to
// left.
struct LanguageRow {
  const char* lcid;
  const char* languageId;
  const char* optionCode;
  const char* localeDir;
  uint16_t codePage;
  bool rightToLeft;
};

constexpr std::size_t kLanguageCount = 29;
extern const std::array<LanguageRow, kLanguageCount> kLanguageTable;

// Every value of the table fits in this many bytes with its terminator.
constexpr std::size_t kLanguageFieldCapacity = 6;

// Column selectors of systemLanguageField.
constexpr int kLanguageFieldLcid = 1;
constexpr int kLanguageFieldLanguageId = 2;
constexpr int kLanguageFieldOptionCode = 3;
constexpr int kLanguageFieldLocaleDir = 4;

// True when some row's option code equals code, ASCII letter case ignored.
bool isSupportedLanguage(const char* code);

// How the texts of a message directory are written and read.
struct MessageLanguage {
  uint32_t codePage = 0;  // 0: the system's ANSI code page
  bool rightToLeft = false;
};

// The language of the locale directory that ends messageDir (letter case
// ignored, trailing backslashes allowed); for any other directory (the
// current directory's message file) the system's code page, left to right.
MessageLanguage messageLanguageOf(std::string_view messageDir);

// 0 and the first matching row's locale directory in out, or -1 (out
// untouched) when no row matches or out has less than
// kLanguageFieldCapacity bytes.
int localeDirForCode(const char* code, char* out, std::size_t capacity);

// 0 and the first matching row's decimal LCID in out, or -1 as above.
int lcidForCode(const char* code, char* out, std::size_t capacity);

// The selected column of the first row that stands for langId: a row with
// sublanguage 0 stands for every sublanguage of its primary language, any
// other row for its own sublanguage only. True and the value in out; false
// (out untouched) when no row matches, the selector is not 1-4, or out is
// too small.
bool languageFieldForLangId(uint16_t langId, int selector, char* out, std::size_t capacity);

// languageFieldForLangId for the system default language.
bool systemLanguageField(int selector, char* out, std::size_t capacity);
