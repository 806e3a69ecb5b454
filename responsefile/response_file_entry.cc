#include "responsefile/response_file_entry.h"

#include <utility>

#include "base/ascii.h"
#include "responsefile/keyword_catalogue.h"
#include "responsefile/response_file.h"
#include "responsefile/text_arena.h"

struct ResponseFileEntry::Extras {
  std::vector<Contradiction> contradictions;
  TextArena texts;  // only for an entry without an owner
};

ResponseFileEntry::ResponseFileEntry(ResponseFile* owner, int32_t lineNumber)
    : owner_(owner), lineNumber_(lineNumber) {}

ResponseFileEntry::ResponseFileEntry(const ResponseFileEntry& other)
    : owner_(other.owner_),
      lineNumber_(other.lineNumber_),
      catalogueIndex_(other.catalogueIndex_),
      state_(other.state_),
      problem_(other.problem_) {
  if (other.name_ != nullptr) setName(other.name_);
  if (other.value_ != nullptr) value_ = storeText(other.value_);
  if (other.extras_ != nullptr && !other.extras_->contradictions.empty()) {
    extras().contradictions = other.extras_->contradictions;
  }
}

ResponseFileEntry& ResponseFileEntry::operator=(const ResponseFileEntry& other) {
  if (this != &other) *this = ResponseFileEntry(other);
  return *this;
}

ResponseFileEntry::ResponseFileEntry(ResponseFileEntry&&) noexcept = default;
ResponseFileEntry& ResponseFileEntry::operator=(ResponseFileEntry&&) noexcept = default;
ResponseFileEntry::~ResponseFileEntry() = default;

const char* ResponseFileEntry::value() const {
  if (value_ == nullptr) return nullptr;
  // Only a valid entry turns the word BLANK into the empty value; an entry in
  // error shows what the file says.
  if (state_ == EntryValid && ascii::equalsNoCase(value_, "BLANK")) return "";
  return value_;
}

const std::vector<Contradiction>& ResponseFileEntry::contradictions() const {
  static const std::vector<Contradiction> kNone;
  return extras_ != nullptr ? extras_->contradictions : kNone;
}

void ResponseFileEntry::markInvalid() {
  if (state_ != EntryValid) return;
  state_ = EntryInvalidValue;
  problem_ = EntryProblem::kMarkedInvalid;
}

ResponseFileEntry::Extras& ResponseFileEntry::extras() {
  if (extras_ == nullptr) extras_ = std::make_unique<Extras>();
  return *extras_;
}

const char* ResponseFileEntry::storeText(std::string_view text) {
  return owner_ != nullptr ? owner_->texts_.store(text) : extras().texts.store(text);
}

void ResponseFileEntry::setName(std::string_view name) { name_ = storeText(name); }

void ResponseFileEntry::clearName() { name_ = nullptr; }

void ResponseFileEntry::setRawValue(std::string_view value) { value_ = storeText(value); }

void ResponseFileEntry::clearValue() { value_ = nullptr; }

void ResponseFileEntry::markContradiction(CrossCheck check, std::vector<int32_t> partners) {
  if (state_ == EntryValid) {
    state_ = EntryInvalidValue;
    problem_ = EntryProblem::kContradiction;
  }
  // An entry already invalid by its own rule still learns of the
  // contradiction; unknown entries and failed writes do not take part.
  if (state_ == EntryInvalidValue) extras().contradictions.push_back({check, std::move(partners)});
}

static_assert(keywordCount <= INT16_MAX, "a row of the catalogue fits an entry's field");
static_assert(sizeof(ResponseFileEntry) <= 40, "an entry stays small");
