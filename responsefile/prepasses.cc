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

// The first word after "ENCRYPTED =" of an ENCRYPTED piece.
void takeEncryptedKeyword(ResponseFile& file, std::string_view piece) {
  std::size_t i = 0;
  while (i < piece.size() && piece[i] == ' ') ++i;
  if (piece.substr(i, kEncrypted.size()) != kEncrypted) return;
  i += kEncrypted.size();
  while (i < piece.size() && piece[i] == ' ') ++i;
  if (i >= piece.size() || piece[i] != '=' || i + 1 >= piece.size()) return;
  ++i;
  while (i < piece.size() && piece[i] == ' ') ++i;
  std::size_t end = piece.find_first_of(" \n#*", i);
  if (end == std::string_view::npos) end = piece.size();
  if (end > i) file.addEncryptedKeyword(piece.substr(i, end - i));
}

bool mayBeInstanceSection(std::string_view piece) {
  return mayStartWith(piece, "INSTANCE") || mayStartWith(piece, "DEFAULT_INSTANCE") ||
         mayStartWith(piece, "CTLSRV_INSTANCE") || mayStartWith(piece, "ADMIN_INSTANCE");
}

// An INSTANCE, DEFAULT_INSTANCE, CTLSRV_INSTANCE or ADMIN_INSTANCE line.
void takeInstanceSection(ResponseFile& file, const NamedValue& line) {
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

void takeBlockName(const NamedValue& line, std::string_view blockKeyword, std::size_t maxNameLength,
                   std::vector<std::string>& names) {
  if (ascii::equalsNoCase(line.keyword, blockKeyword)) {
    names.emplace_back(line.value.substr(0, maxNameLength));
  }
}

// mayBeInstanceSection, or mayStartWith one of the block keywords; the
// first letter rules out most pieces.
bool mayStartWithQualifyingKeyword(std::string_view piece) {
  std::size_t start = 0;
  while (start < piece.size() && ascii::isSpace(piece[start])) ++start;
  if (start == piece.size()) return false;
  switch (ascii::toUpper(piece[start])) {
    case 'I':
    case 'D':
    case 'C':
    case 'A':
    case 'N':
    case 'L':
      break;
    default:
      return false;
  }
  std::string_view rest = piece.substr(start);
  for (std::string_view keyword : {"INSTANCE", "DEFAULT_INSTANCE", "CTLSRV_INSTANCE",
                                   "ADMIN_INSTANCE", "NEW_NODE", "CONTACT", "DATABASE", "LEVEL"}) {
    if (ascii::startsWithNoCase(rest, keyword)) return true;
  }
  return false;
}

struct BlockList {
  BlockKind kind;
  std::string_view keyword;
};
constexpr BlockList kBlockLists[] = {
    {BlockKind::kNewNode, "NEW_NODE"},
    {BlockKind::kContact, "CONTACT"},
    {BlockKind::kDatabase, "DATABASE"},
    {BlockKind::kLevel, "LEVEL"},
};

}  // namespace

int32_t collectEncryptedKeywords(ResponseFile& file, std::FILE* stream) {
  PieceReader reader(stream);
  std::string_view piece;
  while (reader.next(piece)) takeEncryptedKeyword(file, piece);
  return finishPass(file, reader);
}

int32_t checkInstanceSections(ResponseFile& file, std::FILE* stream) {
  PieceReader reader(stream);
  std::string_view piece;
  NamedValue line;
  while (reader.next(piece)) {
    if (mayBeInstanceSection(piece) && splitNamedValue(piece, line)) {
      takeInstanceSection(file, line);
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
    if (mayStartWith(piece, blockKeyword) && splitNamedValue(piece, line)) {
      takeBlockName(line, blockKeyword, maxNameLength, names);
    }
  }
  return finishPass(file, reader);
}

int32_t collectQualifyingNames(ResponseFile& file, std::FILE* stream) {
  for (const BlockList& list : kBlockLists) file.blockNameList(list.kind).clear();
  PieceReader reader(stream);
  std::string_view piece;
  NamedValue line;
  while (reader.next(piece)) {
    takeEncryptedKeyword(file, piece);
    // A piece that begins with none of the keywords is split by no pass;
    // one that does is split once for all of them.
    if (!mayStartWithQualifyingKeyword(piece) || !splitNamedValue(piece, line)) continue;
    takeInstanceSection(file, line);
    for (const BlockList& list : kBlockLists) {
      takeBlockName(line, list.keyword, ResponseFile::kMaxQualifierLength,
                    file.blockNameList(list.kind));
    }
  }
  return finishPass(file, reader);
}
