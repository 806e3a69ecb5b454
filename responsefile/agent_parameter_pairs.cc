#include "responsefile/agent_parameter_pairs.h"

#include <cstdlib>
#include <initializer_list>
#include <string>
#include <string_view>
#include <vector>

#include "responsefile/response_file.h"

namespace {

// The settings in the order the checks name them.
enum Setting { A, C, R, M, CA, D, CO, I, P, L, kSettingCount };

constexpr const char* kSuffixes[kSettingCount] = {
    "FCM_NUM_ANCHORS", "FCM_NUM_CONNECT", "FCM_NUM_RQB",    "MAXAGENTS",      "MAXCAGENTS",
    "MAXDARI",         "MAX_COORDAGENTS", "NUM_INITAGENTS", "NUM_POOLAGENTS", "MAX_LOGICAGENTS",
};

// The number a setting stands for: the decimal integer at the start of its
// value (none gives 0), held in 32 bits.
long long leadingNumber(const char* value) {
  if (value == nullptr) return 0;
  long long number = std::strtoll(value, nullptr, 10);
  if (number > INT32_MAX) return INT32_MAX;
  if (number < INT32_MIN) return INT32_MIN;
  return number;
}

class AgentSettings {
 public:
  AgentSettings(ResponseFile& file, const char* prefix) : file_(file) {
    std::string names[kSettingCount];
    std::string_view views[kSettingCount];
    for (int s = 0; s < kSettingCount; ++s) {
      names[s] = std::string(prefix) + kSuffixes[s];
      views[s] = names[s];
    }
    file.findFirstIndexes(views, kSettingCount, index_);
    for (int s = 0; s < kSettingCount; ++s) {
      const ResponseFileEntry* entry = file.entryAt(index_[s]);
      // A setting that is already in error takes no part.
      if (entry == nullptr || entry->state() != EntryValid) {
        index_[s] = -1;
        continue;
      }
      number_[s] = leadingNumber(entry->value());
    }
  }

  bool has(Setting s) const { return index_[s] >= 0; }
  long long operator[](Setting s) const { return number_[s]; }

  // Marks each of the settings invalid, naming the others as its partners.
  void mark(CrossCheck check, std::initializer_list<Setting> settings) {
    for (Setting s : settings) {
      std::vector<int32_t> partners;
      for (Setting other : settings) {
        if (other != s) partners.push_back(index_[other]);
      }
      file_.entryAt(index_[s])->markContradiction(check, std::move(partners));
    }
    file_.setStatus(RspContentInvalid);
  }

 private:
  ResponseFile& file_;
  int32_t index_[kSettingCount] = {};
  long long number_[kSettingCount] = {};
};

void checkFcmBuffers(AgentSettings& s) {
  if (!s.has(R)) return;
  if (s.has(A) && s[A] > s[R]) s.mark(CrossCheck::kFcmAboveRequestBlocks, {R, A});
  if (s.has(C) && s[C] > s[R]) s.mark(CrossCheck::kFcmAboveRequestBlocks, {R, C});
}

void checkAgentsAgainstMaxAgents(AgentSettings& s) {
  if (!s.has(M)) return;
  for (Setting other : {CA, D, CO, I, P}) {
    if (s.has(other) && s[other] > s[M]) s.mark(CrossCheck::kAgentAboveMaxAgents, {M, other});
  }
}

void checkCoordinatingAgents(AgentSettings& s) {
  if (!s.has(CO)) return;
  long long limit = s[CO];
  if (s.has(M) && s.has(I) && s[CO] != -1) {
    if (s[M] < s[I] + s[CO]) s.mark(CrossCheck::kCoordinatingAgentsSum, {M, CO, I});
  } else if (s[CO] == -1 && s.has(M) && s.has(I)) {
    // -1 lets the coordinating agents take what the initial agents leave.
    limit = s[M] - s[I];
  }
  if (s.has(CA) && s[CA] > limit) s.mark(CrossCheck::kAboveCoordinatingLimit, {CO, CA});
  if (s.has(D) && s[D] > limit) s.mark(CrossCheck::kAboveCoordinatingLimit, {CO, D});
  if (s.has(L)) {
    long long logical = s[L] == -1 ? s[CO] : s[L];
    if (logical < s[CO]) s.mark(CrossCheck::kLogicalBelowCoordinating, {L, CO});
  }
}

}  // namespace

void checkAgentParameterPairs(ResponseFile& file, int32_t mode) {
  const char* prefix = mode == kCheckDefaultInstancePrefix ? "KV7."
                       : mode == kCheckControlServerPrefix ? "KV7CTLSV."
                                                           : nullptr;
  if (prefix == nullptr) return;
  AgentSettings settings(file, prefix);
  checkFcmBuffers(settings);
  checkAgentsAgainstMaxAgents(settings);
  checkCoordinatingAgents(settings);
}
