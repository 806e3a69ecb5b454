#include "responsefile/agent_parameter_pairs.h"

#include <gtest/gtest.h>

#include <set>
#include <string>
#include <vector>

#include "responsefile/test_support.h"

namespace {

const char* kHeader = "DEFAULT_INSTANCE = KV7\nCTLSRV_INSTANCE = KV7CTLSV\n";

struct PairCase {
  const char* settings;           // lines after the header
  std::set<std::string> invalid;  // settings (upper case) left invalid
};

std::set<std::string> invalidSettings(const ResponseFile& file) {
  std::set<std::string> names;
  for (int32_t i = 0; i < file.entryCount(); ++i) {
    if (file.entryAt(i)->state() != EntryValid) names.insert(file.entryAt(i)->name());
  }
  return names;
}

TEST(AgentParameterPairs, MarkContradictingSettingsAndTheirPartners) {
  const PairCase cases[] = {
      {"KV7.MAXAGENTS=100\nKV7.MAXCAGENTS=200\n", {"KV7.MAXAGENTS", "KV7.MAXCAGENTS"}},
      {"KV7.MAXAGENTS=100\nKV7.MAXCAGENTS=100\n", {}},
      {"KV7.MAXAGENTS=100\nKV7.MAXDARI=101\nKV7.NUM_POOLAGENTS=50\n",
       {"KV7.MAXAGENTS", "KV7.MAXDARI"}},
      {"KV7.MAXAGENTS=100\nKV7.NUM_POOLAGENTS=101\n", {"KV7.MAXAGENTS", "KV7.NUM_POOLAGENTS"}},
      // M < I + CO marks all three.
      {"KV7.MAXAGENTS=100\nKV7.NUM_INITAGENTS=10\nKV7.MAX_COORDAGENTS=95\n",
       {"KV7.MAXAGENTS", "KV7.NUM_INITAGENTS", "KV7.MAX_COORDAGENTS"}},
      {"KV7.MAXAGENTS=100\nKV7.NUM_INITAGENTS=10\nKV7.MAX_COORDAGENTS=90\n", {}},
      // CO of -1 leaves M - I as the limit.
      {"KV7.MAXAGENTS=100\nKV7.NUM_INITAGENTS=10\nKV7.MAX_COORDAGENTS=-1\nKV7.MAXDARI=95\n",
       {"KV7.MAX_COORDAGENTS", "KV7.MAXDARI"}},
      {"KV7.MAXAGENTS=100\nKV7.NUM_INITAGENTS=10\nKV7.MAX_COORDAGENTS=-1\nKV7.MAXDARI=90\n", {}},
      {"KV7.MAXAGENTS=100\nKV7.NUM_INITAGENTS=10\nKV7.MAX_COORDAGENTS=-1\nKV7.MAXCAGENTS=91\n",
       {"KV7.MAX_COORDAGENTS", "KV7.MAXCAGENTS"}},
      // Without M the limit is CO itself, -1 included.
      {"KV7.MAX_COORDAGENTS=50\nKV7.MAXCAGENTS=51\n", {"KV7.MAX_COORDAGENTS", "KV7.MAXCAGENTS"}},
      {"KV7.MAX_COORDAGENTS=-1\nKV7.MAXCAGENTS=0\n", {"KV7.MAX_COORDAGENTS", "KV7.MAXCAGENTS"}},
      {"KV7.MAX_COORDAGENTS=-1\nKV7.MAXCAGENTS=-1\n", {}},
      // AUTOMATIC and 200 are words: AUTOMATIC counts as 0.
      {"KV7.MAX_COORDAGENTS=AUTOMATIC\nKV7.MAXCAGENTS=1\n",
       {"KV7.MAX_COORDAGENTS", "KV7.MAXCAGENTS"}},
      {"KV7.MAX_COORDAGENTS=60\nKV7.MAX_LOGICAGENTS=50\n",
       {"KV7.MAX_COORDAGENTS", "KV7.MAX_LOGICAGENTS"}},
      {"KV7.MAX_COORDAGENTS=60\nKV7.MAX_LOGICAGENTS=-1\n", {}},
      {"KV7.MAX_COORDAGENTS=60\nKV7.MAX_LOGICAGENTS=60\n", {}},
      {"KV7.FCM_NUM_RQB=256\nKV7.FCM_NUM_ANCHORS=300\n",
       {"KV7.FCM_NUM_RQB", "KV7.FCM_NUM_ANCHORS"}},
      {"KV7.FCM_NUM_RQB=256\nKV7.FCM_NUM_ANCHORS=256\nKV7.FCM_NUM_CONNECT=-1\n", {}},
      {"KV7.FCM_NUM_RQB=256\nKV7.FCM_NUM_CONNECT=257\n",
       {"KV7.FCM_NUM_RQB", "KV7.FCM_NUM_CONNECT"}},
      {"KV7.FCM_NUM_ANCHORS=300\n", {}},
      // A setting whose own rule failed takes no part.
      {"KV7.MAXAGENTS=100\nKV7.MAXCAGENTS=many\n", {"KV7.MAXCAGENTS"}},
      {"KV7.MAXAGENTS=100000\nKV7.MAXCAGENTS=200\n", {"KV7.MAXAGENTS"}},
      // The control server's settings meet only each other.
      {"KV7.MAXAGENTS=100\nKV7CTLSV.MAXCAGENTS=200\n", {}},
      {"KV7CTLSV.MAXAGENTS=100\nKV7CTLSV.MAXCAGENTS=200\nKV7.MAXCAGENTS=200\n",
       {"KV7CTLSV.MAXAGENTS", "KV7CTLSV.MAXCAGENTS"}},
      {"kv7.maxagents=100\nKv7.MaxCAgents=200\n", {"kv7.maxagents", "Kv7.MaxCAgents"}},
  };
  for (const PairCase& c : cases) {
    SCOPED_TRACE(c.settings);
    auto file = loadText(std::string(kHeader) + c.settings);
    EXPECT_EQ(invalidSettings(*file), c.invalid);
    EXPECT_EQ(file->status(), c.invalid.empty() ? RspOk : RspContentInvalid);
  }
}

TEST(AgentParameterPairs, RememberWhichCheckMarkedAnEntryAndAgainstWhom) {
  auto file = loadText(std::string(kHeader) +
                       "KV7.MAXAGENTS=100\nKV7.NUM_INITAGENTS=10\nKV7.MAX_COORDAGENTS=95\n"
                       "KV7.MAXDARI=96\n");
  int32_t m = file->findIndex("KV7.MAXAGENTS", 0);
  int32_t i = file->findIndex("KV7.NUM_INITAGENTS", 0);
  int32_t co = file->findIndex("KV7.MAX_COORDAGENTS", 0);
  int32_t d = file->findIndex("KV7.MAXDARI", 0);
  const std::vector<Contradiction>& ofCo = file->entryAt(co)->contradictions();
  ASSERT_EQ(ofCo.size(), 2u);
  EXPECT_EQ(ofCo[0].check, CrossCheck::kCoordinatingAgentsSum);
  EXPECT_EQ(ofCo[0].partners, (std::vector<int32_t>{m, i}));
  EXPECT_EQ(ofCo[1].check, CrossCheck::kAboveCoordinatingLimit);
  EXPECT_EQ(ofCo[1].partners, (std::vector<int32_t>{d}));
  EXPECT_EQ(file->entryAt(co)->problem(), EntryProblem::kContradiction);
  // 96 is not above MAXAGENTS: only the coordinating-agent limit named MAXDARI.
  ASSERT_EQ(file->entryAt(d)->contradictions().size(), 1u);
  EXPECT_EQ(file->entryAt(d)->contradictions()[0].partners, (std::vector<int32_t>{co}));
}

}  // namespace
