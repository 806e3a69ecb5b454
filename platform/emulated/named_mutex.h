#pragma once

#include <condition_variable>
#include <cstdint>
#include <memory>
#include <mutex>
#include <string>
#include <thread>

#include "platform/emulated/handle_table.h"

// A Windows mutex. A named one is also an exclusive lock (flock) on a file
// in the machine directory, so processes on the same machine contend for it
// and processes on other machines do not; the host drops the lock when the
// owning process ends. Ownership within the process belongs to a thread and
// may be taken again by it (it counts), as on Windows.
namespace emulated {

class NamedMutex : public KernelObject {
 public:
  // lockFd: the open lock file, or -1 for a mutex without a name.
  explicit NamedMutex(int lockFd) : lockFd_(lockFd) {}
  ~NamedMutex() override;

  // 0 when acquired within the time, 258 on time-out.
  uint32_t acquire(uint32_t milliseconds);
  // False when the calling thread does not own the mutex.
  bool release();

 private:
  int lockFd_;
  std::mutex mutex_;
  std::condition_variable released_;
  bool owned_ = false;  // by a thread of this process (or one is taking the lock)
  std::thread::id owner_;
  uint32_t count_ = 0;
};

// The mutex object of a name in this process (one per name, shared by its
// handles); null with the last error set when its lock file cannot be
// opened.
std::shared_ptr<NamedMutex> openNamedMutex(const std::string& name);

}  // namespace emulated
