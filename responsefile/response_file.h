#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <deque>
#include <string>
#include <string_view>
#include <vector>

#include "base/fixed_text.h"
#include "responsefile/qualifier_index.h"
#include "responsefile/recent_resolutions.h"
#include "responsefile/response_file_entry.h"
#include "responsefile/text_arena.h"

// Outcome of loading (or writing) a response file.
enum ResponseFileStatus : int32_t {
  RspOk = 0,
  RspContentInvalid = 1,
  RspOpenFailed = 2,
  RspReadFailed = 3,
  RspWriteFailed = 4,
  RspOutOfMemory = 5,
};

// The four kinds of block whose names may qualify keywords.
enum class BlockKind { kNewNode, kContact, kDatabase, kLevel };

class NewestEntries;

// A loaded response file: its keyword lines in file order, each resolved in
// the keyword catalogue and checked against its rule, and the load status.
// The newest line of a keyword that may occur only once replaces the older
// one and sits at the place of the newest line.
class ResponseFile {
 public:
  // Longest instance or block name kept; longer values are cut.
  static constexpr std::size_t kMaxQualifierLength = 80;
  // Longest file name kept; a longer one is cut.
  static constexpr std::size_t kMaxFileNameLength = 260;

  // Opens the file by Windows path for reading (text), loads it and closes it.
  // No name gives status RspOpenFailed, and so does a file that does not open.
  explicit ResponseFile(const char* fileName);
  // Loads from a stream that is already open; fileName() stays empty. A null
  // stream gives status RspReadFailed.
  explicit ResponseFile(std::FILE* stream);
  virtual ~ResponseFile();

  ResponseFile(const ResponseFile&) = delete;
  ResponseFile& operator=(const ResponseFile&) = delete;

  int32_t status() const { return status_; }
  int32_t entryCount() const { return static_cast<int32_t>(entries_.size()); }
  // Null when index is negative or not below entryCount().
  ResponseFileEntry* entryAt(int32_t index);
  const ResponseFileEntry* entryAt(int32_t index) const;
  // Index of the first entry at or after fromIndex whose name equals name
  // case-insensitively; -1 when there is none or name is null.
  int32_t findIndex(const char* name, int32_t fromIndex) const;
  ResponseFileEntry* findEntry(const char* name, int32_t fromIndex);
  // findIndex(names[i], 0) into indexes[i] for each of count names, looking
  // at every entry once.
  void findFirstIndexes(const std::string_view* names, std::size_t count, int32_t* indexes) const;

  const char* fileName() const { return fileName_.c_str(); }
  const char* defaultInstance() const { return defaultInstance_.c_str(); }
  const char* controlServerInstance() const { return controlServerInstance_.c_str(); }
  const char* adminInstance() const { return adminInstance_.c_str(); }

  // Stores every valid entry as "name=value" lines (a secret keyword is
  // followed by an ENCRYPTED line naming it). Returns the new status: RspOk,
  // or RspWriteFailed when the file cannot be opened or a line not written.
  int32_t write(const char* path);

  // Names collected before the line loop.
  const std::vector<std::string>& instanceNames() const { return instanceNames_; }
  const std::vector<std::string>& blockNames(BlockKind kind) const;
  const std::vector<std::string>& encryptedKeywords() const { return encryptedKeywords_; }

  // Every qualifying name with its roles, for keyword resolution.
  const QualifierIndex& qualifiers() const;

  // Used by the pre-passes and the checks that run around the line loop.
  void setStatus(int32_t status) { status_ = status; }
  void addInstanceName(std::string_view name);
  void setDefaultInstance(std::string_view name);
  void setControlServerInstance(std::string_view name);
  void setAdminInstance(std::string_view name);
  std::vector<std::string>& blockNameList(BlockKind kind);
  void addEncryptedKeyword(std::string_view name);

 private:
  using QualifierText = FixedText<kMaxQualifierLength + 1>;

  void load(std::FILE* stream);
  bool readEntries(std::FILE* stream);
  void addLine(std::string_view line, int32_t lineNumber, NewestEntries& live);
  bool worthCompacting() const;
  void removeSupersededEntries(NewestEntries* live);
  void runPostLoadChecks();
  void checkDirectoryNameLength(int32_t object, int32_t path);
  void checkProductInstallType(int32_t product, int32_t type);
  void discardEntries();

  // Entries keep their names and values here.
  friend class ResponseFileEntry;
  // Resolution remembers what it found for this file's keyword texts.
  friend void resolveKeyword(ResponseFileEntry* entry, std::string_view text);

  int32_t status_ = RspOk;
  TextArena texts_;
  // Grows block by block: a million entries are never copied to a larger
  // array, and never need room for twice their number.
  std::deque<ResponseFileEntry> entries_;
  FixedText<kMaxFileNameLength + 1> fileName_;
  std::vector<std::string> instanceNames_;
  QualifierText defaultInstance_;
  QualifierText controlServerInstance_;
  QualifierText adminInstance_;
  std::vector<std::string> blockNames_[4];
  std::vector<std::string> encryptedKeywords_;

  // Load bookkeeping: entries in error, and entries replaced by a newer line
  // of the same keyword (removed, with their texts and the texts of lines
  // that made no entry, whenever they are a good part of what is kept, and
  // once the line loop is done).
  int32_t errorCount_ = 0;
  std::vector<bool> superseded_;
  std::size_t unusedSinceCompaction_ = 0;

  mutable QualifierIndex qualifiers_;
  mutable bool qualifiersStale_ = true;
  // Only true for the qualifiers as they are: cleared with them.
  mutable RecentResolutions recentResolutions_;
};
