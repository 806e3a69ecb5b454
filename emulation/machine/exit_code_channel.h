#pragma once

#include <sys/types.h>

#include <cstdint>
#include <string>

// Full 32-bit exit codes from child to parent. The host keeps only 8 bits of
// an exit status, so every program also hands its whole code over:
// - to its parent through a pipe whose write end it inherits as descriptor
//   kExitCodeDescriptor (a pipe needs no disk space, so the code arrives on a
//   full disk too); KV7_EXIT_CODE_FD names that descriptor and its pipe;
// - to a shell that asks for it through the file named by KV7_EXIT_CODE_FILE,
//   whose space the program reserves when it starts.
namespace emulated {

constexpr int kExitCodeDescriptor = 3;
constexpr const char* kExitCodeDescriptorVariable = "KV7_EXIT_CODE_FD";
constexpr const char* kExitCodeFileVariable = "KV7_EXIT_CODE_FILE";

// The parent's side of one child's channel.
class ExitCodeChannel {
 public:
  // Creates the pipe; ok() tells whether that worked.
  ExitCodeChannel();
  ~ExitCodeChannel();
  ExitCodeChannel(const ExitCodeChannel&) = delete;
  ExitCodeChannel& operator=(const ExitCodeChannel&) = delete;

  bool ok() const { return readEnd_ >= 0 && writeEnd_ >= 0; }
  // The end the child gets as kExitCodeDescriptor (close-on-exec here).
  int writeEnd() const { return writeEnd_; }
  // "KV7_EXIT_CODE_FD=3:<pipe identity>", for the child's environment.
  std::string environmentEntry() const;
  // Closes this process's copy of the write end once the child has its own.
  void closeWriteEnd();

  // After the child ended: the code it handed over. Without one, the host's
  // status stands for it (its exit status, or 128 + N for signal N), and
  // standard error says so, naming the program. statusKnown is false when
  // someone else took the child's status.
  uint32_t collect(int waitStatus, bool statusKnown, const std::string& program);

 private:
  int readEnd_ = -1;
  int writeEnd_ = -1;
};

// Child side, at program start: keeps the inherited channel from this
// program's own children and reserves the space of KV7_EXIT_CODE_FILE.
void prepareExitCodeHandOver();
// Child side, at program end: hands the code over on every channel asked
// for. A channel that fails is reported on standard error.
void handOverExitCode(uint32_t exitCode);

}  // namespace emulated
