#include "responsefile/response_file.h"

#include <new>
#include <utility>

#include "base/ascii.h"
#include "platform/platform.h"
#include "responsefile/entry_validator.h"
#include "responsefile/keyword_catalogue.h"
#include "responsefile/keyword_resolver.h"
#include "responsefile/line_syntax.h"
#include "responsefile/newest_entries.h"
#include "responsefile/piece_reader.h"
#include "responsefile/prepasses.h"

namespace {

std::size_t blockSlot(BlockKind kind) { return static_cast<std::size_t>(kind); }

}  // namespace

ResponseFile::ResponseFile(const char* fileName) {
  if (fileName == nullptr) {
    status_ = RspOpenFailed;
    return;
  }
  fileName_.assign(std::string_view(fileName).substr(0, kMaxFileNameLength));
  std::FILE* stream = platform::openFile(fileName, "r", platform::FileKind::kResponseFile);
  if (stream == nullptr) {
    status_ = RspOpenFailed;
    return;
  }
  load(stream);
  std::fclose(stream);
}

ResponseFile::ResponseFile(std::FILE* stream) {
  if (stream == nullptr) {
    status_ = RspReadFailed;
    return;
  }
  load(stream);
}

ResponseFile::~ResponseFile() = default;

ResponseFileEntry* ResponseFile::entryAt(int32_t index) {
  return index >= 0 && index < entryCount() ? &entries_[index] : nullptr;
}

const ResponseFileEntry* ResponseFile::entryAt(int32_t index) const {
  return index >= 0 && index < entryCount() ? &entries_[index] : nullptr;
}

int32_t ResponseFile::findIndex(const char* name, int32_t fromIndex) const {
  if (name == nullptr) return -1;
  std::string_view wanted(name);
  for (int32_t i = fromIndex < 0 ? 0 : fromIndex; i < entryCount(); ++i) {
    if (ascii::equalsNoCase(entries_[i].nameView(), wanted)) return i;
  }
  return -1;
}

ResponseFileEntry* ResponseFile::findEntry(const char* name, int32_t fromIndex) {
  return entryAt(findIndex(name, fromIndex));
}

void ResponseFile::findFirstIndexes(const std::string_view* names, std::size_t count,
                                    int32_t* indexes) const {
  std::size_t missing = count;
  // Most names have none of the wanted lengths, which a mask tells at once.
  uint64_t lengths = 0;
  for (std::size_t n = 0; n < count; ++n) {
    indexes[n] = -1;
    lengths |= names[n].size() < 64 ? uint64_t{1} << names[n].size() : ~uint64_t{0};
  }
  int32_t i = 0;
  for (auto entry = entries_.begin(); entry != entries_.end() && missing > 0; ++entry, ++i) {
    std::string_view name = entry->nameView();
    if (name.size() < 64 && (lengths & (uint64_t{1} << name.size())) == 0) continue;
    for (std::size_t n = 0; n < count; ++n) {
      if (indexes[n] < 0 && ascii::equalsNoCase(name, names[n])) {
        indexes[n] = i;
        --missing;
      }
    }
  }
}

const std::vector<std::string>& ResponseFile::blockNames(BlockKind kind) const {
  return blockNames_[blockSlot(kind)];
}

std::vector<std::string>& ResponseFile::blockNameList(BlockKind kind) {
  qualifiersStale_ = true;
  return blockNames_[blockSlot(kind)];
}

void ResponseFile::addInstanceName(std::string_view name) {
  instanceNames_.emplace_back(name.substr(0, kMaxQualifierLength));
  qualifiersStale_ = true;
}

void ResponseFile::setDefaultInstance(std::string_view name) {
  defaultInstance_.assign(name.substr(0, kMaxQualifierLength));
  qualifiersStale_ = true;
}

void ResponseFile::setControlServerInstance(std::string_view name) {
  controlServerInstance_.assign(name.substr(0, kMaxQualifierLength));
  qualifiersStale_ = true;
}

void ResponseFile::setAdminInstance(std::string_view name) {
  adminInstance_.assign(name.substr(0, kMaxQualifierLength));
  qualifiersStale_ = true;
}

void ResponseFile::addEncryptedKeyword(std::string_view name) {
  encryptedKeywords_.emplace_back(name);
}

const QualifierIndex& ResponseFile::qualifiers() const {
  if (!qualifiersStale_) return qualifiers_;
  qualifiers_.clear();
  recentResolutions_.clear();
  qualifiers_.add(defaultInstance_.view(), kQualifiesDefaultInstance);
  qualifiers_.add(adminInstance_.view(), kQualifiesAdminInstance);
  qualifiers_.add(controlServerInstance_.view(), kQualifiesControlServer);
  for (const std::string& name : instanceNames_) qualifiers_.add(name, kQualifiesInstance);
  const std::pair<BlockKind, uint32_t> blocks[] = {
      {BlockKind::kNewNode, kQualifiesNewNode},
      {BlockKind::kContact, kQualifiesContact},
      {BlockKind::kDatabase, kQualifiesDatabase},
      {BlockKind::kLevel, kQualifiesLevel},
  };
  for (const auto& [kind, role] : blocks) {
    for (const std::string& name : blockNames(kind)) qualifiers_.add(name, role);
  }
  qualifiersStale_ = false;
  return qualifiers_;
}

void ResponseFile::load(std::FILE* stream) {
  try {
    ProgramNameForLoad programName;
    // The names that qualify keywords must be known before the first line
    // is resolved, wherever in the file they are given.
    collectQualifyingNames(*this, stream);
    if (!readEntries(stream)) return;
    if (errorCount_ > 0) status_ = RspContentInvalid;
    runPostLoadChecks();
  } catch (const std::bad_alloc&) {
    discardEntries();
    status_ = RspOutOfMemory;
  }
}

bool ResponseFile::readEntries(std::FILE* stream) {
  PieceReader reader(stream);
  NewestEntries live(entries_);
  std::string joined;
  std::string_view piece;
  int32_t lineNumber = 1;
  while (reader.next(piece)) {
    std::string_view line = piece;
    // A piece that filled the reader's buffer continues on the next ones:
    // together they are one line with one number.
    if (piece.size() == PieceReader::kMaxPiece) {
      try {
        joined.assign(piece);
        while (reader.next(piece)) {
          joined.append(piece);
          if (piece.size() < PieceReader::kMaxPiece) break;
        }
        line = joined;
      } catch (const std::bad_alloc&) {
        status_ = RspContentInvalid;  // the line is lost
        ++lineNumber;
        continue;
      }
    }
    addLine(line, lineNumber, live);
    ++lineNumber;
    if (worthCompacting()) removeSupersededEntries(&live);
  }
  if (reader.failed()) {
    discardEntries();
    status_ = RspReadFailed;
    return false;
  }
  removeSupersededEntries(nullptr);
  return true;
}

void ResponseFile::addLine(std::string_view text, int32_t lineNumber, NewestEntries& live) {
  KeywordLine line = splitKeywordLine(text);
  if (line.isComment) return;
  ResponseFileEntry entry(this, lineNumber);
  resolveKeyword(&entry, line.keyword);
  // Values are kept as written, secrets included: nothing is decoded here.
  // Without memory for the copy the line counts as one without a value.
  try {
    if (!line.value.empty()) entry.setRawValue(line.value);
  } catch (const std::bad_alloc&) {
    entry.clearValue();
  }
  validateEntry(&entry);
  // A known keyword without a value says nothing; an unknown one is reported.
  if (entry.state() != EntryUnknownKeyword && entry.value() == nullptr) {
    ++unusedSinceCompaction_;  // its texts
    return;
  }
  if (entry.state() != EntryValid) ++errorCount_;
  // A line without a keyword has no name to be repeated by: each one stays.
  bool replacesEarlier = entry.hasName() && isRepeatable(entry.catalogueIndex()) == 0;
  entries_.push_back(std::move(entry));
  superseded_.push_back(false);
  if (!replacesEarlier) return;
  int32_t replaced = live.replace(entryCount() - 1);
  if (replaced >= 0) {
    superseded_[replaced] = true;
    ++unusedSinceCompaction_;
    if (entries_[replaced].state() != EntryValid) --errorCount_;
  }
}

// Often enough that what is kept is never much more than what is needed,
// seldom enough that each entry moves only a few times.
bool ResponseFile::worthCompacting() const {
  constexpr std::size_t kFewest = 4096;
  return unusedSinceCompaction_ >= kFewest && unusedSinceCompaction_ * 4 >= entries_.size();
}

void ResponseFile::removeSupersededEntries(NewestEntries* live) {
  if (unusedSinceCompaction_ == 0) {
    superseded_.assign(entries_.size(), false);
    if (live == nullptr) superseded_.shrink_to_fit();
    return;
  }
  std::vector<int32_t> newIndex;
  if (live != nullptr) newIndex.assign(entries_.size(), -1);
  {
    // Entries hold their texts in the order they were stored.
    TextArena::Compaction texts(texts_);
    auto kept = entries_.begin();
    std::size_t i = 0;
    for (auto entry = entries_.begin(); entry != entries_.end(); ++entry, ++i) {
      if (superseded_[i]) continue;
      if (entry->name_ != nullptr) entry->name_ = texts.keep(entry->name_);
      if (entry->value_ != nullptr) entry->value_ = texts.keep(entry->value_);
      if (live != nullptr) newIndex[i] = static_cast<int32_t>(kept - entries_.begin());
      if (kept != entry) *kept = std::move(*entry);
      ++kept;
    }
    entries_.erase(kept, entries_.end());
  }
  if (live != nullptr) live->renumber(newIndex);
  superseded_.assign(entries_.size(), false);
  if (live == nullptr) superseded_.shrink_to_fit();
  unusedSinceCompaction_ = 0;
}

void ResponseFile::discardEntries() {
  entries_.clear();
  superseded_.clear();
  texts_ = TextArena();
}
