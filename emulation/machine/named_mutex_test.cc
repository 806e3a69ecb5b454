#include <gtest/gtest.h>
#include <stdlib.h>

#include <string>
#include <thread>

#include "emulation/machine/host_files.h"
#include "emulation/testing/test_machine.h"
#include "platform/platform.h"

namespace {

using emulated::TestMachine;

constexpr char kName[] = "ProtectKV7CLIInstall";

// What another process gets when it tries to take the mutex without
// waiting: 0 (taken) or 258 (held elsewhere).
uint32_t tryInAnotherProcess(const TestMachine& machine, const std::string& otherMachine = "") {
  std::vector<std::pair<std::string, std::string>> env;
  if (!otherMachine.empty()) env.emplace_back("KV7_MACHINE", otherMachine);
  return machine.run(TestMachine::testBinDir() + "/emulated_probe", {"mutex", kName}, env).exitCode;
}

TEST(EmulatedMutex, ProcessesOnOneMachineContendAndOthersDoNot) {
  TestMachine machine;
  char other[] = "/tmp/kv7-other-machine-XXXXXX";
  ASSERT_NE(::mkdtemp(other), nullptr);

  platform::Handle mutex = platform::createMutex(kName);
  ASSERT_NE(mutex, nullptr);
  ASSERT_EQ(platform::waitForSingleObject(mutex, 0), platform::kWaitObject0);
  EXPECT_EQ(tryInAnotherProcess(machine), platform::kWaitTimeout);
  EXPECT_EQ(tryInAnotherProcess(machine, other), platform::kWaitObject0);
  ASSERT_TRUE(platform::releaseMutex(mutex));
  EXPECT_TRUE(platform::closeHandle(mutex));
  emulated::removeHostTree(other);
}

TEST(EmulatedMutex, AnOwnerThatEndsWithoutReleasingAbandonsItWhileTheMutexLivesOn) {
  TestMachine machine;
  // Each probe takes the mutex and ends without releasing it. With no other
  // handle open the mutex ends with the probe, and the next one is new.
  EXPECT_EQ(tryInAnotherProcess(machine), platform::kWaitObject0);
  EXPECT_EQ(tryInAnotherProcess(machine), platform::kWaitObject0);

  // While this process keeps it open, an owner that ends abandons it: the
  // next wait, here or elsewhere, takes it with WAIT_ABANDONED.
  platform::Handle mutex = platform::createMutex(kName);
  ASSERT_NE(mutex, nullptr);
  EXPECT_EQ(tryInAnotherProcess(machine), platform::kWaitObject0);
  EXPECT_EQ(tryInAnotherProcess(machine), platform::kWaitAbandoned);
  EXPECT_EQ(platform::waitForSingleObject(mutex, 0), platform::kWaitAbandoned);
  EXPECT_EQ(tryInAnotherProcess(machine), platform::kWaitTimeout);  // owned here now
  ASSERT_TRUE(platform::releaseMutex(mutex));
  EXPECT_EQ(tryInAnotherProcess(machine), platform::kWaitObject0);  // released: not abandoned

  // Closing the last handle here, even while owning, ends the mutex.
  EXPECT_EQ(platform::waitForSingleObject(mutex, 0), platform::kWaitAbandoned);
  EXPECT_TRUE(platform::closeHandle(mutex));
  EXPECT_EQ(tryInAnotherProcess(machine), platform::kWaitObject0);
}

TEST(EmulatedMutex, OwnershipBelongsToAThreadAndCounts) {
  TestMachine machine;
  platform::Handle mutex = platform::createMutex(kName);
  platform::Handle second = platform::createMutex(kName);  // the same mutex
  ASSERT_EQ(platform::waitForSingleObject(mutex, 0), 0u);
  ASSERT_EQ(platform::waitForSingleObject(second, 0), 0u);
  uint32_t otherThread = 0;
  std::thread([&] { otherThread = platform::waitForSingleObject(mutex, 10); }).join();
  EXPECT_EQ(otherThread, platform::kWaitTimeout);
  bool releasedByOther = true;
  std::thread([&] { releasedByOther = platform::releaseMutex(mutex); }).join();
  EXPECT_FALSE(releasedByOther);
  EXPECT_TRUE(platform::releaseMutex(mutex));
  EXPECT_EQ(tryInAnotherProcess(machine), platform::kWaitTimeout);  // still held once
  EXPECT_TRUE(platform::releaseMutex(second));
  EXPECT_FALSE(platform::releaseMutex(mutex));
  std::thread([&] {
    otherThread = platform::waitForSingleObject(mutex, 0);
    platform::releaseMutex(mutex);
  }).join();
  EXPECT_EQ(otherThread, 0u);
  platform::closeHandle(mutex);
  platform::closeHandle(second);
}

}  // namespace
