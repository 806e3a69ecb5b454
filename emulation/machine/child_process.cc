#include "emulation/machine/child_process.h"

#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <thread>

#include "platform/platform.h"

namespace emulated {

bool ChildProcess::poll(uint32_t* exitCode) {
  std::lock_guard<std::mutex> lock(mutex_);
  if (!ended_) {
    int status = 0;
    pid_t reaped;
    do {
      reaped = ::waitpid(pid_, &status, WNOHANG);
    } while (reaped < 0 && errno == EINTR);
    if (reaped == 0) return false;
    // reaped < 0: someone else took the child's status; only its channel is
    // left.
    exitCode_ = channel_->collect(status, reaped == pid_, program_);
    ended_ = true;
  }
  *exitCode = exitCode_;
  return true;
}

uint32_t ChildProcess::wait(uint32_t milliseconds) {
  using Clock = std::chrono::steady_clock;
  const bool forever = milliseconds == platform::kInfinite;
  const Clock::time_point deadline = Clock::now() + std::chrono::milliseconds(milliseconds);
  auto pause = std::chrono::microseconds(200);
  uint32_t code;
  // Polling keeps every thread free to ask for the exit code meanwhile; the
  // pauses grow to 10 ms, a delay no caller of a process wait notices.
  while (!poll(&code)) {
    const Clock::time_point now = Clock::now();
    if (!forever && now >= deadline) return platform::kWaitTimeout;
    std::this_thread::sleep_for(forever ? pause : std::min<Clock::duration>(pause, deadline - now));
    pause = std::min<std::chrono::microseconds>(pause * 2, std::chrono::milliseconds(10));
  }
  return platform::kWaitObject0;
}

}  // namespace emulated
