#include "installed/inode_chain.h"

#include <gtest/gtest.h>

#include <memory>
#include <vector>

namespace {

// An element that reports its destruction, so ownership can be checked.
struct Tracked {
  Tracked(int id, std::vector<int>* destroyed) : id(id), destroyed(destroyed) {}
  virtual ~Tracked() { destroyed->push_back(id); }
  int id;
  std::vector<int>* destroyed;
};

void appendIds(InodeChain<Tracked>* chain, std::vector<int>* destroyed,
               std::initializer_list<int> ids) {
  for (int id : ids) ASSERT_TRUE(chain->append(std::make_unique<Tracked>(id, destroyed)));
}

TEST(InodeChain, IteratesInAppendOrderAndStartsOverAfterTheEnd) {
  std::vector<int> destroyed;
  InodeChain<Tracked> chain;
  EXPECT_EQ(chain.First(), nullptr);
  appendIds(&chain, &destroyed, {1, 2, 3});
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

TEST(InodeChain, SearchInTheMiddleOfAnIterationKeepsTheCursor) {
  std::vector<int> destroyed;
  InodeChain<Tracked> chain;
  appendIds(&chain, &destroyed, {10, 20, 30, 40});
  chain.First();
  ASSERT_EQ(chain.Next()->id, 20);
  const struct {
    int wanted;
    bool found;
  } cases[] = {{40, true}, {10, true}, {99, false}};
  for (const auto& c : cases) {
    Tracked* hit = chain.search([&](const Tracked* t) { return t->id == c.wanted; });
    EXPECT_EQ(hit != nullptr, c.found) << c.wanted;
    if (hit != nullptr) {
      EXPECT_EQ(hit->id, c.wanted);
    }
    EXPECT_EQ(chain.cursor->data->id, 20) << "after searching " << c.wanted;
  }
  EXPECT_EQ(chain.Next()->id, 30);
}

TEST(InodeChain, OwnsItsElementsAndReleasesThemFromTheHead) {
  std::vector<int> destroyed;
  {
    InodeChain<Tracked> chain;
    appendIds(&chain, &destroyed, {1, 2, 3});
    EXPECT_TRUE(destroyed.empty());
  }
  EXPECT_EQ(destroyed, (std::vector<int>{1, 2, 3}));

  destroyed.clear();
  InodeChain<Tracked> chain;
  appendIds(&chain, &destroyed, {7, 8});
  chain.clear();
  EXPECT_EQ(destroyed, (std::vector<int>{7, 8}));
  EXPECT_EQ(chain.count, 0u);
  EXPECT_EQ(chain.First(), nullptr);
  appendIds(&chain, &destroyed, {9});
  EXPECT_EQ(chain.First()->id, 9);
}

}  // namespace
