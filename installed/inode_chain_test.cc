#include "installed/inode_chain.h"

#include <gtest/gtest.h>

#include <memory>

namespace {

struct Tracked {
  explicit Tracked(int id) : id(id) {}
  virtual ~Tracked() = default;
  int id;
};

TEST(InodeChain, IteratesInAppendOrderAndStartsOverAfterTheEnd) {
  InodeChain<Tracked> chain;
  EXPECT_EQ(chain.First(), nullptr);
  for (int id : {1, 2, 3}) ASSERT_TRUE(chain.append(std::make_unique<Tracked>(id)));
  ASSERT_EQ(chain.count, 3u);
  EXPECT_EQ(chain.First()->id, 1);
  EXPECT_EQ(chain.Next()->id, 2);
  EXPECT_EQ(chain.Next()->id, 3);
  EXPECT_EQ(chain.Next(), nullptr);
  // Past the end the cursor is null, and the next step starts at the head.
  EXPECT_EQ(chain.Next()->id, 1);
  EXPECT_EQ(chain.head->prev, nullptr);
  EXPECT_EQ(chain.tail->next, nullptr);
  EXPECT_EQ(chain.tail->prev->data->id, 2);
}

}  // namespace
