#pragma once

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

#include "platform/platform.h"
#include "process/capture_buffer.h"
#include "process/runner_command.h"
#include "process/thread_start.h"

// Runs one child program with its standard output and standard error captured
// through pipes, each read by a thread of its own, waits for it with a time-out
// and hands back its exit code. A child still running after the waits is
// neither stopped nor detached; its exit code then reads as 259.
class ProcessRunner {
 public:
  enum class Output { kStdout, kStderr };

  // With a command, the command line is prepared at once and the time-out is
  // unlimited; in statementMode the command is a statement for the product's
  // command line processor (allOutputMode chooses its options). Without one,
  // setCommand and setTimeout come before start. workingDir null: the child
  // starts in this process's current directory. The last flag has no effect.
  ProcessRunner(const char* command, const char* workingDir, bool statementMode, bool allOutputMode,
                bool unusedFlag);
  ProcessRunner(const ProcessRunner&) = delete;
  ProcessRunner& operator=(const ProcessRunner&) = delete;
  // Stops and waits for the readers of a run still going; the child itself is
  // left running.
  virtual ~ProcessRunner();

  // Prepares the command line (see normaliseCommand) and discards the
  // captures of an earlier run. 0, or kRunnerTextDoesNotFit: the command is
  // refused whole, and start then runs nothing.
  uint32_t setCommand(const char* command);
  void setTimeout(uint32_t milliseconds) { timeoutMs = milliseconds; }
  uint32_t timeout() const { return timeoutMs; }
  // The working directory of the next start; null for this process's own.
  void setWorkingDir(const char* directory);

  // Starts the child with both readers running. With waitAfterStart it waits
  // up to the time-out before returning. 0, or the code of a reader thread
  // that could not start (kRunnerNoMemory, kRunnerBadThreadArguments,
  // kRunnerThreadStartFailed), or kRunnerTextDoesNotFit for a refused
  // command. Callers need not look: every failure shows in waitForExit.
  uint32_t start(bool waitAfterStart, bool unusedFlag);
  // Waits up to milliseconds for the child. 0 when it ended in time;
  // otherwise the last system error code (possibly 0 after a plain time-out),
  // and the readers are told to stop. Either way this process's ends of the
  // pipes are closed, so that the readers finish once the child has gone.
  uint32_t waitWithTimeout(uint32_t milliseconds);
  // Waits as waitWithTimeout, then reads the exit code into *exitCode (259
  // while the child still runs) and waits for both readers. 0;
  // kRunnerNeverStarted when start made no attempt; kRunnerTextDoesNotFit for
  // a refused command; kRunnerExitCodeUnavailable when the child did not
  // start.
  uint32_t waitForExit(uint32_t* exitCode, uint32_t milliseconds);

  // Waits for the stream's reader, then answers the number of bytes it
  // captured.
  std::size_t joinOutput(Output which);
  // Waits for the stream's reader, then copies its capture, NUL-terminated,
  // into buffer of size bytes. 0, or kRunnerTextDoesNotFit when it was cut.
  uint32_t copyOutput(Output which, char* buffer, std::size_t size);

  // The command line the next start hands to the system.
  std::string_view preparedCommandLine() const { return commandLine.view(); }
  // The statement of statement mode, as given.
  std::string_view preparedStatement() const { return statementText.view(); }

 private:
  bool openPipes(platform::Handle* stdoutRead, platform::Handle* stderrRead);
  uint32_t startReader(CaptureBuffer& capture, platform::Handle readEnd, ThreadRecord& reader);
  // Sets the stop flag and writes a few bytes into each pipe still open, so
  // that a reader blocked in a read sees the flag.
  void wakeReaders();
  void closeWriteEnds();
  // Ends whatever an earlier start left: readers stopped and joined, pipe and
  // process handles closed. The child is not touched.
  void endRun();

  CommandLineText commandLine;
  CommandLineText statementText;
  CaptureBuffer stderrText;
  CaptureBuffer stdoutText;
  // Kept as the constructor was given them; they take effect there, and
  // nothing reads them later.
  [[maybe_unused]] bool allOutputMode = false;
  ThreadRecord stdoutReader;
  ThreadRecord stderrReader;
  platform::Handle stderrWrite = nullptr;
  platform::Handle stdoutWrite = nullptr;
  // Shared with both readers, which read it after every completed read.
  std::unique_ptr<std::atomic<bool>> stopFlag;
  platform::ProcessInfo processInfo;
  uint32_t timeoutMs = platform::kInfinite;
  bool started = false;
  [[maybe_unused]] bool statementMode = false;  // likewise
  std::optional<std::string> workingDir;
  bool commandRefused = false;
};
