#include "responsefile/prepasses.h"

#include <string_view>

#include "base/ascii.h"
#include "responsefile/line_syntax.h"
#include "responsefile/piece_reader.h"
#include "responsefile/response_file.h"

namespace {

constexpr std::string_view kEncrypted = "ENCRYPTED";
constexpr std::size_t kMaxInstanceNameLength = ResponseFile::kMaxQualifierLength;

// The value of a line whose keyword is one of the wanted ones; a pre-pass
// takes only lines with '=' and a value (an empty name qualifies nothing).
struct NamedValue {
  std::string_view keyword;
  std::string_view value;
};

bool splitNamedValue(std::string_view piece, NamedValue& out) {
  KeywordLine line = splitKeywordLine(piece);
  if (line.isComment || !line.hasEquals || line.value.empty()) return false;
  out = {line.keyword, line.value};
  return true;
}

// Whether the piece, past its leading white space, starts with prefix: a
// cheap test before the piece is split.
bool mayStartWith(std::string_view piece, std::string_view prefix) {
  std::size_t start = 0;
  while (start < piece.size() && ascii::isSpace(piece[start])) ++start;
  return ascii::startsWithNoCase(piece.substr(start), prefix);
}

int32_t finishPass(ResponseFile& file, const PieceReader& reader) {
  if (reader.failed()) file.setStatus(RspReadFailed);
  return file.status();
}

}  // namespace

int32_t collectEncryptedKeywords(ResponseFile& file, std::FILE* stream) {
  PieceReader reader(stream);
  std::string_view piece;
  while (reader.next(piece)) {
    std::size_t i = 0;
    while (i < piece.size() && piece[i] == ' ') ++i;
    if (piece.substr(i, kEncrypted.size()) != kEncrypted) continue;
    i += kEncrypted.size();
    while (i < piece.size() && piece[i] == ' ') ++i;
    if (i >= piece.size() || piece[i] != '=' || i + 1 >= piece.size()) continue;
    ++i;
    while (i < piece.size() && piece[i] == ' ') ++i;
    std::size_t end = piece.find_first_of(" \n#*", i);
    if (end == std::string_view::npos) end = piece.size();
    if (end > i) file.addEncryptedKeyword(piece.substr(i, end - i));
  }
  return finishPass(file, reader);
}

int32_t checkInstanceSections(ResponseFile& file, std::FILE* stream) {
  PieceReader reader(stream);
  std::string_view piece;
  NamedValue line;
  while (reader.next(piece)) {
    bool candidate = mayStartWith(piece, "INSTANCE") || mayStartWith(piece, "DEFAULT_INSTANCE") ||
                     mayStartWith(piece, "CTLSRV_INSTANCE") ||
                     mayStartWith(piece, "ADMIN_INSTANCE");
    if (!candidate || !splitNamedValue(piece, line)) continue;
    std::string_view name = line.value.substr(0, kMaxInstanceNameLength);
    if (ascii::equalsNoCase(line.keyword, "INSTANCE")) {
      file.addInstanceName(name);
    } else if (ascii::equalsNoCase(line.keyword, "DEFAULT_INSTANCE")) {
      file.setDefaultInstance(name);
    } else if (ascii::equalsNoCase(line.keyword, "CTLSRV_INSTANCE")) {
      file.setControlServerInstance(name);
    } else if (ascii::equalsNoCase(line.keyword, "ADMIN_INSTANCE")) {
      file.setAdminInstance(name);
    }
  }
  return finishPass(file, reader);
}

int32_t collectBlockNames(ResponseFile& file, std::FILE* stream, const char* blockKeyword,
                          std::size_t maxNameLength, std::vector<std::string>& names) {
  names.clear();
  PieceReader reader(stream);
  std::string_view piece;
  NamedValue line;
  while (reader.next(piece)) {
    if (!mayStartWith(piece, blockKeyword) || !splitNamedValue(piece, line)) continue;
    if (!ascii::equalsNoCase(line.keyword, blockKeyword)) continue;
    names.emplace_back(line.value.substr(0, maxNameLength));
  }
  return finishPass(file, reader);
}
