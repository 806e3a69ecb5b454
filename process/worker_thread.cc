#include "process/worker_thread.h"

#include <new>

#include "process/runner_codes.h"

WorkerThread::~WorkerThread() { join(); }

uint32_t WorkerThread::start() {
  uint32_t joined = join();
  if (joined != 0) return joined;
  record_.reset(new (std::nothrow) ThreadRecord());
  if (record_ == nullptr) return kRunnerNoMemory;
  uint32_t started = startThread(&WorkerThread::runWorker, this, record_.get());
  if (started != 0) record_.reset();
  return started;
}

uint32_t WorkerThread::join() {
  if (record_ == nullptr) return 0;
  uint32_t result = joinThread(record_.get());
  if (result == 0) record_.reset();
  return result;
}

uint32_t WorkerThread::runWorker(void* worker) { return static_cast<WorkerThread*>(worker)->run(); }
