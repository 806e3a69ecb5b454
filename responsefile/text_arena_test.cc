#include "responsefile/text_arena.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

TEST(TextArena, CompactionKeepsTheChosenTextsAndGivesBackTheRest) {
  // Short texts fill the growing blocks; long ones get blocks of their own.
  const std::size_t lengths[] = {0, 5, 300, 70000, 7, 100000, 40, 65535, 1, 2000};
  TextArena arena;
  std::vector<std::string> texts;
  std::vector<const char*> stored;
  for (int round = 0; round < 40; ++round) {
    for (std::size_t length : lengths) {
      texts.push_back(std::string(length, static_cast<char>('a' + texts.size() % 26)));
      stored.push_back(arena.store(texts.back()));
    }
  }
  const std::size_t before = arena.bytesHeld();
  // Keep every third text, as the reader keeps the lines not replaced.
  std::vector<std::string> keptTexts;
  std::vector<const char*> kept;
  {
    TextArena::Compaction compaction(arena);
    for (std::size_t i = 0; i < stored.size(); i += 3) {
      kept.push_back(compaction.keep(stored[i]));
      keptTexts.push_back(texts[i]);
    }
  }
  EXPECT_LT(arena.bytesHeld(), before * 2 / 3);
  const char* after = arena.store("stored after");
  for (std::size_t i = 0; i < kept.size(); ++i) ASSERT_EQ(kept[i], keptTexts[i]) << "text " << i;
  EXPECT_STREQ(after, "stored after");
  { TextArena::Compaction nothingKept(arena); }
  EXPECT_LT(arena.bytesHeld(), 65535u);
}

}  // namespace
