#include "responsefile/response_file_entry.h"

#include <utility>

#include "base/ascii.h"

const char* ResponseFileEntry::value() const {
  if (!hasValue_) return nullptr;
  // Only a valid entry turns the word BLANK into the empty value; an entry in
  // error shows what the file says.
  if (state_ == EntryValid && ascii::equalsNoCase(value_, "BLANK")) return "";
  return value_.c_str();
}

void ResponseFileEntry::markInvalid() {
  if (state_ != EntryValid) return;
  state_ = EntryInvalidValue;
  problem_ = EntryProblem::kMarkedInvalid;
}

void ResponseFileEntry::setName(std::string_view name) {
  name_.assign(name);
  hasName_ = true;
}

void ResponseFileEntry::clearName() {
  name_.clear();
  hasName_ = false;
}

void ResponseFileEntry::setRawValue(std::string_view value) {
  value_.assign(value);
  hasValue_ = true;
}

void ResponseFileEntry::clearValue() {
  value_.clear();
  hasValue_ = false;
}

void ResponseFileEntry::markContradiction(CrossCheck check, std::vector<int32_t> partners) {
  if (state_ == EntryValid) {
    state_ = EntryInvalidValue;
    problem_ = EntryProblem::kContradiction;
  }
  // An entry already invalid by its own rule still learns of the
  // contradiction; unknown entries and failed writes do not take part.
  if (state_ == EntryInvalidValue) contradictions_.push_back({check, std::move(partners)});
}
