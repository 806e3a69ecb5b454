#include "process/thread_start.h"

#include <gtest/gtest.h>

#include <atomic>

#include "process/runner_codes.h"
#include "process/worker_thread.h"

namespace {

uint32_t addOne(void* parameter) {
  static_cast<std::atomic<int>*>(parameter)->fetch_add(1);
  return 0;
}

TEST(ProcessRunnerThreads, ARecordHoldsOneThreadUntilItIsJoined) {
  std::atomic<int> calls{0};
  ThreadRecord record;
  EXPECT_EQ(startThread(nullptr, &calls, &record), kRunnerBadThreadArguments);
  EXPECT_EQ(startThread(addOne, &calls, nullptr), kRunnerBadThreadArguments);
  EXPECT_FALSE(record.thread.joinable());

  ASSERT_EQ(startThread(addOne, &calls, &record), 0u);
  // A record whose thread was not joined is not overwritten.
  EXPECT_EQ(startThread(addOne, &calls, &record), kRunnerBadThreadArguments);
  EXPECT_EQ(joinThread(&record), 0u);
  EXPECT_EQ(calls.load(), 1);
  EXPECT_FALSE(record.thread.joinable());
  EXPECT_EQ(joinThread(&record), 0u);  // nothing left to wait for
  EXPECT_EQ(joinThread(nullptr), 0u);

  // An emptied record takes the next thread.
  ASSERT_EQ(startThread(addOne, &calls, &record), 0u);
  EXPECT_EQ(joinThread(&record), 0u);
  EXPECT_EQ(calls.load(), 2);
}

class CountingWorker : public WorkerThread {
 public:
  ~CountingWorker() override { join(); }
  std::atomic<int> runs{0};

 protected:
  uint32_t run() override {
    runs.fetch_add(1);
    return 0;
  }
};

TEST(ProcessRunnerThreads, WorkerRunsOncePerStart) {
  CountingWorker worker;
  EXPECT_EQ(worker.join(), 0u);  // never started
  ASSERT_EQ(worker.start(), 0u);
  EXPECT_EQ(worker.join(), 0u);
  EXPECT_EQ(worker.runs.load(), 1);
  // A second start waits for nothing and runs again; the destructor joins it.
  ASSERT_EQ(worker.start(), 0u);
  ASSERT_EQ(worker.start(), 0u);
  EXPECT_EQ(worker.join(), 0u);
  EXPECT_EQ(worker.runs.load(), 3);
}

}  // namespace
