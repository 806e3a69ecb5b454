#pragma once

#include <sys/types.h>

#include <cstdint>
#include <memory>
#include <mutex>
#include <string>

#include "emulation/machine/exit_code_channel.h"
#include "emulation/machine/handle_table.h"

// A child process started by createProcess, reaped once, with its full exit
// code taken from its exit-code channel.
namespace emulated {

class ChildProcess : public KernelObject {
 public:
  ChildProcess(pid_t pid, std::unique_ptr<ExitCodeChannel> channel, std::string program)
      : pid_(pid), channel_(std::move(channel)), program_(std::move(program)) {}

  // True once the child has ended; *exitCode then holds its code.
  bool poll(uint32_t* exitCode);
  // 0 when the child ended within the time, 258 otherwise.
  uint32_t wait(uint32_t milliseconds);
  pid_t pid() const { return pid_; }

 private:
  pid_t pid_;
  std::unique_ptr<ExitCodeChannel> channel_;
  std::string program_;
  std::mutex mutex_;
  bool ended_ = false;
  uint32_t exitCode_ = 0;
};

}  // namespace emulated
