#pragma once

#include <condition_variable>
#include <cstdint>
#include <memory>
#include <mutex>
#include <string>
#include <thread>

#include "emulation/machine/handle_table.h"

// A Windows mutex. A named one is also an exclusive lock (flock) on a file
// in the machine directory, so processes on the same machine contend for it
// and processes on other machines do not; the host drops the lock when the
// owning process ends. Ownership within the process belongs to a thread and
// may be taken again by it (it counts), as on Windows.
//
// The lock file holds a mark while a process owns the mutex. A process that
// ends owning it leaves the mark behind: the mutex is abandoned, and the next
// wait takes it with WAIT_ABANDONED. As on Windows, that holds only while the
// mutex lives on, that is while another process keeps a handle to it; every
// process with a handle holds a shared lock on a second file, and the first
// process to open a mutex that no other process has open starts it afresh.
namespace emulated {

class NamedMutex : public KernelObject {
 public:
  // lockFd: the open lock file, or -1 for a mutex without a name; openFd:
  // the file this process holds a shared lock on while it has the mutex
  // open, or -1.
  explicit NamedMutex(int lockFd, int openFd = -1) : lockFd_(lockFd), openFd_(openFd) {}
  ~NamedMutex() override;

  // 0 when acquired within the time, 0x80 when acquired from a process that
  // ended owning it, 258 on time-out.
  uint32_t acquire(uint32_t milliseconds);
  // False when the calling thread does not own the mutex.
  bool release();

 private:
  int lockFd_;
  int openFd_;
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
