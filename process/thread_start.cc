#include "process/thread_start.h"

#include <new>
#include <system_error>

#include "process/runner_codes.h"

namespace {

// What the new thread needs before it calls the routine; the thread frees it
// first, so a routine that never returns holds nothing of the starter's.
struct StartBlock {
  ThreadRoutine routine;
  void* parameter;
};

void runStartBlock(StartBlock* block) {
  ThreadRoutine routine = block->routine;
  void* parameter = block->parameter;
  delete block;
  routine(parameter);
}

}  // namespace

uint32_t startThread(ThreadRoutine routine, void* parameter, ThreadRecord* record) {
  if (routine == nullptr || record == nullptr || record->thread.joinable()) {
    return kRunnerBadThreadArguments;
  }
  auto* block = new (std::nothrow) StartBlock{routine, parameter};
  if (block == nullptr) return kRunnerNoMemory;
  try {
    record->thread = std::thread(runStartBlock, block);
  } catch (const std::bad_alloc&) {
    delete block;
    return kRunnerNoMemory;
  } catch (const std::system_error&) {
    delete block;
    return kRunnerThreadStartFailed;
  }
  return 0;
}

uint32_t joinThread(ThreadRecord* record) {
  if (record == nullptr || !record->thread.joinable()) return 0;
  try {
    record->thread.join();
  } catch (const std::system_error& error) {
    return static_cast<uint32_t>(error.code().value());
  }
  return 0;
}
