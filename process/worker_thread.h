#pragma once

#include <cstdint>
#include <memory>

#include "process/thread_start.h"

// A job that runs on a thread of its own: derive, implement run(), then
// start() and join(). A derived class whose run() uses its own members must
// join() in its own destructor, before those members are gone.
class WorkerThread {
 public:
  WorkerThread() = default;
  WorkerThread(const WorkerThread&) = delete;
  WorkerThread& operator=(const WorkerThread&) = delete;
  // Waits for a thread still running.
  virtual ~WorkerThread();

  // Starts run() on a new thread; a thread of an earlier start is waited for
  // first. 0, or a code of startThread.
  virtual uint32_t start();
  // Waits for run() to end. 0, also when no thread runs; otherwise the
  // system's error code.
  virtual uint32_t join();

 protected:
  virtual uint32_t run() = 0;

 private:
  static uint32_t runWorker(void* worker);

  std::unique_ptr<ThreadRecord> record_;
};
