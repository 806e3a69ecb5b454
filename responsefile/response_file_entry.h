#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

class ResponseFile;

// Result of resolving and validating one keyword line.
enum EntryState : int32_t {
  EntryValid = 0,
  EntryUnknownKeyword = 1,
  EntryInvalidValue = 2,
  EntryWriteFailed = 4,
};

// Why an entry has its state. The state alone is what the launcher acts on;
// the problem lets a checker tell a user which rule the line broke.
enum class EntryProblem : uint8_t {
  kNone,
  kNoKeyword,           // the line has text after '=' but no keyword before it
  kUnknownKeyword,      // no catalogue row is written this way
  kExcludedForProgram,  // the row is not valid for the program named by PROGNAME
  kRuleMismatch,        // the value breaks the row's rule
  kExcludedValue,       // the value matches the row's exclusion rule
  kBadOptionWord,       // KV7OPTIONS: a word is not an option
  kDriveMissing,        // DFTDBPATH: the drive root does not exist
  kDirectoryMissing,    // DIAGPATH, KV7LOADREC: not an existing directory on a usable drive
  kContradiction,       // marked only by a check that spans several keywords
  kMarkedInvalid,       // marked invalid by a caller (markInvalid)
  kWriteFailed,         // the write operation could not store the line
};

// The checks that span several keywords and can mark an entry invalid.
enum class CrossCheck : uint8_t {
  kDirectoryNameLength,       // KV7.DIR_OBJ_NAME and KV7.DIR_PATH_NAME exceed 255 together
  kProductInstallType,        // the product cannot be installed with that INSTALL_TYPE
  kFcmAboveRequestBlocks,     // FCM_NUM_ANCHORS or FCM_NUM_CONNECT above FCM_NUM_RQB
  kAgentAboveMaxAgents,       // an agent setting above MAXAGENTS
  kCoordinatingAgentsSum,     // MAXAGENTS below NUM_INITAGENTS + MAX_COORDAGENTS
  kAboveCoordinatingLimit,    // MAXCAGENTS or MAXDARI above the coordinating-agent limit
  kLogicalBelowCoordinating,  // MAX_LOGICAGENTS below MAX_COORDAGENTS
};

// One cross-keyword check that marked an entry, with the other entries it
// compared (indexes into the owning file, which keeps its order from then on).
struct Contradiction {
  CrossCheck check;
  std::vector<int32_t> partners;
};

// One keyword line of a response file. Its name and value are kept in the
// owning file's text arena (an entry without an owner keeps its own), so an
// entry is a few words and a file of a million lines a few large blocks.
class ResponseFileEntry {
 public:
  ResponseFileEntry(ResponseFile* owner, int32_t lineNumber);
  ResponseFileEntry(const ResponseFileEntry& other);
  ResponseFileEntry& operator=(const ResponseFileEntry& other);
  ResponseFileEntry(ResponseFileEntry&&) noexcept;
  ResponseFileEntry& operator=(ResponseFileEntry&&) noexcept;
  ~ResponseFileEntry();

  // The keyword as written (case kept, qualifying prefix included); "" when
  // the entry has none.
  const char* name() const { return name_ != nullptr ? name_ : ""; }
  std::string_view nameView() const { return name(); }
  bool hasName() const { return name_ != nullptr; }
  // The trimmed value as stored; null when the line has none. A text handed
  // out stays valid while the owner (or the entry without one) lives, even
  // when the value is replaced.
  const char* rawValue() const { return value_; }
  // What callers use: the raw value for an entry in error, "" for the word
  // BLANK (any case) of a valid entry, null when there is none.
  const char* value() const;
  int32_t state() const { return state_; }
  int32_t lineNumber() const { return lineNumber_; }
  // Catalogue row of the keyword, -1 when unknown.
  int32_t catalogueIndex() const { return catalogueIndex_; }
  // A valid entry becomes invalid (2); any other state stays.
  void markInvalid();

  ResponseFile* owner() const { return owner_; }
  EntryProblem problem() const { return problem_; }
  const std::vector<Contradiction>& contradictions() const;

  // Used by resolution, validation, the checks and the write operation.
  // Throw std::bad_alloc when there is no memory for the copy.
  void setName(std::string_view name);
  void clearName();
  void setRawValue(std::string_view value);
  void clearValue();
  void setCatalogueIndex(int32_t index) { catalogueIndex_ = static_cast<int16_t>(index); }
  void setState(int32_t state, EntryProblem problem) {
    state_ = static_cast<int8_t>(state);
    problem_ = problem;
  }
  // markInvalid, and remembers which check did it and against which entries.
  void markContradiction(CrossCheck check, std::vector<int32_t> partners);

 private:
  // The owner moves the texts when it compacts its arena.
  friend class ResponseFile;
  // What few entries need: the contradictions found, and the texts of an
  // entry without an owner.
  struct Extras;

  const char* storeText(std::string_view text);
  Extras& extras();

  const char* name_ = nullptr;
  const char* value_ = nullptr;
  ResponseFile* owner_ = nullptr;
  std::unique_ptr<Extras> extras_;
  // The few states and the rows of the catalogue fit in small fields: a
  // million entries take 40 bytes each.
  int32_t lineNumber_ = 0;
  int16_t catalogueIndex_ = -1;
  int8_t state_ = EntryValid;
  EntryProblem problem_ = EntryProblem::kNone;
};
