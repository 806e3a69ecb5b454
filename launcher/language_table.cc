#include "launcher/language_table.h"

#include <cstdlib>
#include <cstring>

#include "base/ascii.h"
#include "platform/platform.h"

// Rows with a bare primary language (sublanguage 0) come first and stand for
// every sublanguage of it; the full language ids after them stand for one
// sublanguage only. The table is scanned in this order.
const std::array<LanguageRow, kLanguageCount> kLanguageTable = {{
    {"1025", "0001", "AR", "ar_aa"}, {"1026", "0002", "BG", "bg_bg"},
    {"1029", "0005", "CZ", "cs_cz"}, {"1030", "0006", "DK", "da_dk"},
    {"1031", "0007", "DE", "de_de"}, {"1032", "0008", "EL", "el_gr"},
    {"1033", "0009", "EN", "en_us"}, {"1034", "000a", "ES", "es_es"},
    {"1035", "000b", "FI", "fi_fi"}, {"1037", "000d", "IW", "iw_il"},
    {"1038", "000e", "HU", "hu_hu"}, {"1040", "0010", "IT", "it_it"},
    {"1041", "0011", "JP", "ja_jp"}, {"1042", "0012", "KR", "ko_kr"},
    {"1043", "0013", "NL", "nl_nl"}, {"1044", "0014", "NO", "no_no"},
    {"1045", "0015", "PL", "pl_pl"}, {"1048", "0018", "RO", "ro_ro"},
    {"1049", "0019", "RU", "ru_ru"}, {"1050", "001a", "HR", "hr_hr"},
    {"1051", "001b", "SK", "sk_sk"}, {"1053", "001d", "SE", "sv_se"},
    {"1055", "001f", "TR", "tr_tr"}, {"1060", "0024", "SL", "sl_si"},
    {"1028", "0404", "TW", "Zh_tw"}, {"1036", "040c", "FR", "fr_fr"},
    {"1046", "0416", "BR", "pt_br"}, {"2052", "0804", "CN", "zh_cn"},
    {"2070", "0816", "PT", "pt_pt"},
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
