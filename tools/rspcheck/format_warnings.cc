#include "tools/rspcheck/format_warnings.h"

#include <algorithm>
#include <string_view>
#include <unordered_map>
#include <utility>

#include "base/ascii.h"
#include "responsefile/case_folded_map.h"
#include "responsefile/keyword_catalogue.h"
#include "responsefile/line_syntax.h"
#include "responsefile/piece_reader.h"
#include "responsefile/response_file.h"
#include "tools/rspcheck/entry_problems.h"
#include "tools/rspcheck/line_layout.h"
#include "tools/rspcheck/printable_text.h"
#include "tools/rspcheck/text_encoding.h"

namespace {

constexpr std::string_view kUtf8ByteOrderMark = "\xEF\xBB\xBF";

// Settings that setup checks against each other, and then only in one
// spelling: the agent settings of the instances KV7 and KV7CTLSV, and the two
// directory names of the instance KV7, each written with a period.
constexpr std::string_view kAgentSettings[] = {
    "FCM_NUM_ANCHORS", "FCM_NUM_CONNECT", "FCM_NUM_RQB",    "MAXAGENTS",      "MAXCAGENTS",
    "MAXDARI",         "MAX_COORDAGENTS", "NUM_INITAGENTS", "NUM_POOLAGENTS", "MAX_LOGICAGENTS",
};

bool isCheckedSetting(std::string_view keyword, std::string_view prefix) {
  const bool kv7 = ascii::equalsNoCase(prefix, "KV7");
  if (keyword == "DIR_OBJ_NAME" || keyword == "DIR_PATH_NAME") return kv7;
  bool agent = std::any_of(std::begin(kAgentSettings), std::end(kAgentSettings),
                           [&](std::string_view s) { return s == keyword; });
  return agent && (kv7 || ascii::equalsNoCase(prefix, "KV7CTLSV"));
}

// A text cut for a one-line message.
std::string excerpt(std::string_view text) {
  constexpr std::size_t kShown = 60;
  text = trimWhiteSpace(text);
  if (text.size() <= kShown) return printableText(text);
  return printableText(text.substr(0, kShown)) + "...";
}

class WarningFinder {
 public:
  WarningFinder(const ResponseFile& file, const LineLayout& layout)
      : file_(file), layout_(layout) {}

  std::vector<FormatWarning> find() {
    // A UTF-16 file has one problem only, reported as an error of its own.
    if (recognizeUtf16(layout_.head()) != Utf16Form::kNone) return {};
    checkByteOrderMark();
    checkUtf8Lines();
    checkJoinedLines();
    for (int32_t i = 0; i < file_.entryCount(); ++i) {
      const ResponseFileEntry& entry = *file_.entryAt(i);
      checkCommentInValue(entry);
      checkQuotedCommandValue(entry);
    }
    checkSpellings();
    std::stable_sort(
        warnings_.begin(), warnings_.end(),
        [](const FormatWarning& a, const FormatWarning& b) { return a.line < b.line; });
    return std::move(warnings_);
  }

 private:
  void warn(int32_t line, std::string text) { warnings_.push_back({line, std::move(text)}); }
  int32_t lineOf(const ResponseFileEntry& entry) const {
    return layout_.fileLine(entry.lineNumber());
  }

  void checkByteOrderMark() {
    if (!hasByteOrderMark()) return;
    std::string_view first = layout_.line(1);
    KeywordLine rest = splitKeywordLine(first.substr(kUtf8ByteOrderMark.size()));
    std::string effect =
        rest.isComment ? "so line 1 is no comment or blank line but an unknown keyword"
                       : "so setup does not know the keyword '" + printableText(rest.keyword) +
                             "' and goes on as if the line were not there";
    warn(1,
         "the file begins with a UTF-8 byte-order mark, which setup reads as three characters "
         "at the start of line 1, " +
             effect + "; save the file as ANSI text (code page 1252) without a byte-order mark");
  }

  // Setup takes each byte for a character of the system's code page, so a
  // character that UTF-8 writes in two to four bytes becomes as many
  // characters. The warning spells both readings out in ASCII, so that it
  // reads right on a console of any code page. A file with a byte-order mark
  // has its own warning, whose remedy covers these lines too; comments, and
  // text after "##", are skipped by setup and left alone.
  void checkUtf8Lines() {
    if (layout_.utf8Lines().empty() || hasByteOrderMark()) return;
    for (int32_t n : layout_.utf8Lines()) {
      KeywordLine split = splitKeywordLine(layout_.line(n));
      if (split.isComment) continue;
      std::string_view text;
      std::string what;
      if (holdsUtf8Sequences(split.keyword)) {
        text = split.keyword;
        what = "the keyword";
      } else if (holdsUtf8Sequences(split.value)) {
        text = split.value;
        what = split.keyword.empty() ? "the value" : "the value of " + printableText(split.keyword);
      } else {
        continue;
      }
      const std::u32string meant = decodeUtf8(text);
      const std::u32string read = readInSystemCodePage(text);
      auto count = [](std::size_t n) {
        return std::to_string(n) + (n == 1 ? " character" : " characters");
      };
      std::string readings;
      if (namesSecret(split.keyword)) {
        // A password is never spelled out, not even as code points.
        readings = " (a secret of " + count(meant.size()) + "), but setup reads the file byte by " +
                   "byte in the system's code page and takes " + count(read.size());
      } else {
        readings = ": it means " + count(meant.size()) + ", " + describeCharacters(meant) +
                   ", but setup reads the file byte by byte in the system's code page and takes " +
                   count(read.size()) + ", " + describeCharacters(read);
      }
      warn(n, what + " is UTF-8 text" + readings +
                  "; save the file as ANSI text in the system's code page (1252 on Western "
                  "systems), for example with PowerShell's Set-Content -Encoding Default");
    }
  }

  bool hasByteOrderMark() const {
    return layout_.line(1).substr(0, kUtf8ByteOrderMark.size()) == kUtf8ByteOrderMark;
  }

  void checkJoinedLines() {
    for (int32_t n : layout_.joinedLines()) {
      std::string_view next = layout_.line(n + 1);
      if (trimWhiteSpace(next).empty()) continue;
      // A comment that takes in another comment changes nothing.
      if (splitKeywordLine(layout_.line(n)).isComment && splitKeywordLine(next).isComment) {
        continue;
      }
      warn(n, "the line is " + std::to_string(layout_.line(n).size()) +
                  " characters long, so with its line end it fills setup's reads of " +
                  std::to_string(PieceReader::kMaxPiece) +
                  " characters exactly, and setup reads line " + std::to_string(n + 1) + " ('" +
                  excerpt(next) +
                  "') as the end of this line, not as a line of its own; make this line "
                  "shorter or longer by a character");
    }
  }

  void checkCommentInValue(const ResponseFileEntry& entry) {
    const char* raw = entry.rawValue();
    if (raw == nullptr) return;
    std::string_view value(raw);
    for (std::size_t i = 1; i < value.size(); ++i) {
      char c = value[i];
      if ((c != '#' && c != '*') || !ascii::isSpace(value[i - 1])) continue;
      std::string mark(1, c);
      // An invalid PROD is the one value that stops setup.
      bool stopsSetup =
          ascii::equalsNoCase(entry.nameView(), "PROD") && entry.state() == EntryInvalidValue;
      warn(lineOf(entry),
           "'" + mark + "' after a value starts no comment: setup reads " + shownValue(entry) +
               " as the value of " + printableText(entry.name()) +
               (stopsSetup ? ", refuses it and ends with exit code 8115" : "") +
               "; put the comment on a line of its own, or start it with '" + mark + mark + "'");
      return;
    }
  }

  // Setup writes these values between double quotes into the installer
  // command, escaping nothing (unless /n or /p gives them instead).
  void checkQuotedCommandValue(const ResponseFileEntry& entry) {
    const bool copyName = ascii::equalsNoCase(entry.nameView(), "COPY_NAME");
    const bool file = ascii::equalsNoCase(entry.nameView(), "FILE");
    const char* raw = entry.value();
    if ((!copyName && !file) || raw == nullptr) return;
    // Escaping keeps double quotes and backslashes as they are.
    std::string_view plain(raw);
    if (plain.find('"') == std::string_view::npos && (plain.empty() || plain.back() != '\\')) {
      return;
    }
    std::string value = printableText(raw);
    std::string property = copyName ? "KV7_COPY_NAME=\"" + value + "\" (and COPY_NAME_OVERRIDE)"
                                    : "INSTALLDIR=\"" + value + "\"";
    if (value.find('"') != std::string::npos) {
      warn(lineOf(entry), printableText(entry.name()) + " = '" + value +
                              "' holds a double quote, which setup " +
                              "writes unescaped into the installer command as " + property +
                              ": it ends the quoted value early, so the installer takes another " +
                              (copyName ? "copy name" : "install path") +
                              " and may run the properties after it into one value; " +
                              (copyName ? "a copy name holds only letters, digits and '_'"
                                        : "a Windows path holds no double quote"));
    } else if (!value.empty() && value.back() == '\\') {
      warn(lineOf(entry),
           printableText(entry.name()) + " = '" + value + "' ends in a backslash, which setup " +
               "writes just before the closing quote of " + property +
               ": Windows Installer keeps it as part of the value, but a program that splits "
               "the command by the C runtime's rules reads \\\" as a quote inside the value and "
               "runs the rest of the command into it; write it without the trailing backslash");
    }
  }

  // A qualified keyword is its prefix, any one separator character and the
  // keyword: "KV7.MAXAGENTS" and "KV7_MAXAGENTS" name the same setting, but
  // setup replaces an earlier line only when the whole name is the same.
  void checkSpellings() {
    // Keyed by catalogue row and prefix, the prefix compared without case; the
    // names stay in the loaded file, so the keys copy nothing.
    struct Setting {
      int32_t row;
      std::string_view prefix;
      bool operator==(const Setting& other) const {
        return row == other.row && ascii::equalsNoCase(prefix, other.prefix);
      }
    };
    struct SettingHash {
      std::size_t operator()(const Setting& s) const {
        return static_cast<std::size_t>(
            CaseFoldedMap<int>::hashOf(s.prefix) ^
            (static_cast<std::uint64_t>(s.row) * 0x9E3779B97F4A7C15ull));
      }
    };
    // The qualified name of a setting that one line may replace: its row, its
    // keyword and its prefix; false for other entries.
    struct Qualified {
      const KeywordDefinition* row;
      std::string_view keyword;
      std::string_view prefix;
      char separator;
    };
    auto qualified = [](const ResponseFileEntry& entry, Qualified* q) {
      q->row = definitionAt(entry.catalogueIndex());
      if (q->row == nullptr || q->row->repeatable) return false;
      std::string_view name = entry.nameView();
      q->keyword = q->row->name;
      if (name.size() <= q->keyword.size() + 1) return false;  // written plain
      q->prefix = name.substr(0, name.size() - q->keyword.size() - 1);
      q->separator = name[q->prefix.size()];
      return true;
    };
    // A later line of the same name replaced the earlier one as setup read
    // them, so two lines of one setting stay only when their separators
    // differ: only rows written with another separator than '.' can warn.
    std::vector<bool> otherSeparator(keywordCount, false);
    bool anyOther = false;
    Qualified q{};
    for (int32_t i = 0; i < file_.entryCount(); ++i) {
      const ResponseFileEntry& entry = *file_.entryAt(i);
      if (qualified(entry, &q) && q.separator != '.') {
        otherSeparator[entry.catalogueIndex()] = true;
        anyOther = true;
      }
    }
    if (!anyOther) return;
    std::unordered_map<Setting, const ResponseFileEntry*, SettingHash> first;
    for (int32_t i = 0; i < file_.entryCount(); ++i) {
      const ResponseFileEntry& entry = *file_.entryAt(i);
      if (!qualified(entry, &q) || !otherSeparator[entry.catalogueIndex()]) continue;
      auto [earlier, isFirst] = first.emplace(Setting{entry.catalogueIndex(), q.prefix}, &entry);
      if (isFirst && q.separator == '.') continue;
      const std::string_view name = entry.nameView();
      const bool checked = isCheckedSetting(q.keyword, q.prefix);
      std::string written = printableText(q.prefix) + "." + q.row->name;
      if (!isFirst) {
        warn(lineOf(entry),
             printableText(name) + " names the same setting as " +
                 printableText(earlier->second->nameView()) + " (line " +
                 std::to_string(lineOf(*earlier->second)) +
                 "), but setup keeps both lines, and the installer receives both" +
                 (checked ? ", while setup's checks between settings see only " + written
                          : std::string()) +
                 "; write it once, as " + written);
      } else if (checked) {
        warn(lineOf(entry), printableText(name) + " is " + written + " written with '" +
                                printableText(std::string(1, q.separator)) +
                                "': setup's checks between settings see it only "
                                "when written " +
                                written + "; write it so");
      }
    }
  }

  const ResponseFile& file_;
  const LineLayout& layout_;
  std::vector<FormatWarning> warnings_;
};

}  // namespace

std::vector<FormatWarning> findFormatWarnings(const ResponseFile& file, const LineLayout& layout) {
  return WarningFinder(file, layout).find();
}
