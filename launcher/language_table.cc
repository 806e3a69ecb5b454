#include "launcher/language_table.h"

#include <cstdlib>
#include <cstring>

#include "base/ascii.h"
#include "platform/platform.h"

// Rows with a bare primary language (sublanguage 0) come first and stand for
// every sublanguage of it; the full language ids after them stand for one
// sublanguage only. The table is scanned in this order. The code pages are
// those the message files are staged in (cmake/Kv7LanguageCodePages.cmake;
// a test holds the two together).
const std::array<LanguageRow, kLanguageCount> kLanguageTable = {{
    {"1025", "0001", "AR", "ar_aa", 1256, true},  {"1026", "0002", "BG", "bg_bg", 1251, false},
    {"1029", "0005", "CZ", "cs_cz", 1250, false}, {"1030", "0006", "DK", "da_dk", 1252, false},
    {"1031", "0007", "DE", "de_de", 1252, false}, {"1032", "0008", "EL", "el_gr", 1253, false},
    {"1033", "0009", "EN", "en_us", 1252, false}, {"1034", "000a", "ES", "es_es", 1252, false},
    {"1035", "000b", "FI", "fi_fi", 1252, false}, {"1037", "000d", "IW", "iw_il", 1255, true},
    {"1038", "000e", "HU", "hu_hu", 1250, false}, {"1040", "0010", "IT", "it_it", 1252, false},
    {"1041", "0011", "JP", "ja_jp", 932, false},  {"1042", "0012", "KR", "ko_kr", 949, false},
    {"1043", "0013", "NL", "nl_nl", 1252, false}, {"1044", "0014", "NO", "no_no", 1252, false},
    {"1045", "0015", "PL", "pl_pl", 1250, false}, {"1048", "0018", "RO", "ro_ro", 1250, false},
    {"1049", "0019", "RU", "ru_ru", 1251, false}, {"1050", "001a", "HR", "hr_hr", 1250, false},
    {"1051", "001b", "SK", "sk_sk", 1250, false}, {"1053", "001d", "SE", "sv_se", 1252, false},
    {"1055", "001f", "TR", "tr_tr", 1254, false}, {"1060", "0024", "SL", "sl_si", 1250, false},
    {"1028", "0404", "TW", "Zh_tw", 950, false},  {"1036", "040c", "FR", "fr_fr", 1252, false},
    {"1046", "0416", "BR", "pt_br", 1252, false}, {"2052", "0804", "CN", "zh_cn", 936, false},
    {"2070", "0816", "PT", "pt_pt", 1252, false},
}};

namespace {

const LanguageRow* rowForCode(const char* code) {
  if (code == nullptr) return nullptr;
  for (const LanguageRow& row : kLanguageTable) {
    if (ascii::equalsNoCase(row.optionCode, code)) return &row;
  }
  return nullptr;
}

const char* column(const LanguageRow& row, int selector) {
  switch (selector) {
    case kLanguageFieldLcid:
      return row.lcid;
    case kLanguageFieldLanguageId:
      return row.languageId;
    case kLanguageFieldOptionCode:
      return row.optionCode;
    case kLanguageFieldLocaleDir:
      return row.localeDir;
    default:
      return nullptr;
  }
}

// Every value of the table fits the field, so a buffer of the field's size
// always takes it whole.
bool copyField(const char* value, char* out, std::size_t capacity) {
  if (value == nullptr || out == nullptr || capacity < kLanguageFieldCapacity) return false;
  std::strcpy(out, value);
  return true;
}

}  // namespace

bool isSupportedLanguage(const char* code) { return rowForCode(code) != nullptr; }

MessageLanguage messageLanguageOf(std::string_view messageDir) {
  while (!messageDir.empty() && messageDir.back() == '\\') messageDir.remove_suffix(1);
  const std::size_t slash = messageDir.rfind('\\');
  const std::string_view locale =
      slash == std::string_view::npos ? messageDir : messageDir.substr(slash + 1);
  for (const LanguageRow& row : kLanguageTable) {
    if (ascii::equalsNoCase(locale, row.localeDir)) return {row.codePage, row.rightToLeft};
  }
  return {};
}

int localeDirForCode(const char* code, char* out, std::size_t capacity) {
  const LanguageRow* row = rowForCode(code);
  return row != nullptr && copyField(row->localeDir, out, capacity) ? 0 : -1;
}

int lcidForCode(const char* code, char* out, std::size_t capacity) {
  const LanguageRow* row = rowForCode(code);
  return row != nullptr && copyField(row->lcid, out, capacity) ? 0 : -1;
}

bool languageFieldForLangId(uint16_t langId, int selector, char* out, std::size_t capacity) {
  // A language id holds the primary language in its low 10 bits and the
  // sublanguage above them.
  const unsigned primary = langId & 0x3ffu;
  const unsigned sublanguage = langId >> 10;
  for (const LanguageRow& row : kLanguageTable) {
    unsigned long value = std::strtoul(row.languageId, nullptr, 16);
    unsigned rowPrimary = value & 0x3ffu;
    unsigned rowSublanguage = static_cast<unsigned>(value >> 10);
    if (rowPrimary == primary && (rowSublanguage == 0 || rowSublanguage == sublanguage)) {
      return copyField(column(row, selector), out, capacity);
    }
  }
  return false;
}

bool systemLanguageField(int selector, char* out, std::size_t capacity) {
  return languageFieldForLangId(platform::getSystemDefaultLangId(), selector, out, capacity);
}
