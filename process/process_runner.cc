#include "process/process_runner.h"

#include <cstring>
#include <new>

#include "process/pipe_reader.h"
#include "process/runner_codes.h"

namespace {

// Enough to make a blocked read on the other end return.
constexpr char kWakeBytes[3] = {0, 0, 0};

void closeIfOpen(platform::Handle& handle) {
  if (handle != nullptr) {
    platform::closeHandle(handle);
    handle = nullptr;
  }
}

void writeWakeBytes(platform::Handle writeEnd) {
  if (writeEnd == nullptr) return;
  uint32_t written = 0;
  platform::writeFile(writeEnd, kWakeBytes, sizeof(kWakeBytes), &written);
}

}  // namespace

ProcessRunner::ProcessRunner(const char* command, const char* workingDir, bool statementMode,
                             bool allOutputMode, bool /*unusedFlag*/)
    : allOutputMode(allOutputMode), statementMode(statementMode) {
  setWorkingDir(workingDir);
  if (command == nullptr) return;
  if (statementMode) {
    commandRefused = !statementText.assign(command) ||
                     composeStatementCommand(command, allOutputMode, commandLine) != 0;
    if (commandRefused) statementText.clear();
  } else {
    setCommand(command);
  }
  timeoutMs = platform::kInfinite;
}

ProcessRunner::~ProcessRunner() { endRun(); }

uint32_t ProcessRunner::setCommand(const char* command) {
  endRun();
  started = false;
  stdoutText.discard();
  stderrText.discard();
  uint32_t result = normaliseCommand(command != nullptr ? command : "", commandLine);
  commandRefused = result != 0;
  return result;
}

void ProcessRunner::setWorkingDir(const char* directory) {
  if (directory != nullptr) {
    workingDir = directory;
  } else {
    workingDir.reset();
  }
}

uint32_t ProcessRunner::start(bool waitAfterStart, bool /*unusedFlag*/) {
  endRun();
  started = false;
  stdoutText.discard();
  stderrText.discard();
  if (commandRefused) return kRunnerTextDoesNotFit;

  // The process-wide standard handles point at the pipes while the child
  // starts, and are given back before start returns.
  platform::Handle savedOutput = platform::getStdHandle(platform::kStdOutputHandle);
  platform::Handle savedError = platform::getStdHandle(platform::kStdErrorHandle);
  platform::Handle stdoutRead = nullptr;
  platform::Handle stderrRead = nullptr;
  uint32_t result = 0;
  if (openPipes(&stdoutRead, &stderrRead)) {
    stopFlag = std::make_unique<std::atomic<bool>>(false);
    uint32_t stdoutResult = startReader(stdoutText, stdoutRead, stdoutReader);
    uint32_t stderrResult = startReader(stderrText, stderrRead, stderrReader);
    result = stdoutResult != 0 ? stdoutResult : stderrResult;

    bool created =
        platform::createProcess(commandLine.c_str(), workingDir ? workingDir->c_str() : nullptr,
                                stdoutWrite, stderrWrite, &processInfo);
    if (!created) processInfo = platform::ProcessInfo();
    if (waitAfterStart) waitWithTimeout(timeoutMs);
    started = true;
    if (!created) {
      timeoutMs = 0;
      wakeReaders();
      closeWriteEnds();
      joinThread(&stdoutReader);
      joinThread(&stderrReader);
    }
  }
  platform::setStdHandle(platform::kStdOutputHandle, savedOutput);
  platform::setStdHandle(platform::kStdErrorHandle, savedError);
  return result;
}

bool ProcessRunner::openPipes(platform::Handle* stdoutRead, platform::Handle* stderrRead) {
  platform::Handle outputRead = nullptr;
  platform::Handle errorRead = nullptr;
  // The read ends are created inheritable like the write ends; the child must
  // get only the write ends, so the readers work on private copies.
  bool ok = platform::createPipe(&outputRead, &stdoutWrite) &&
            platform::createPipe(&errorRead, &stderrWrite);
  if (ok) {
    // A standard handle that cannot be set does not keep the child from
    // getting its pipes: those are handed to it directly.
    platform::setStdHandle(platform::kStdOutputHandle, stdoutWrite);
    platform::setStdHandle(platform::kStdErrorHandle, stderrWrite);
  }
  ok = ok && platform::duplicateHandle(outputRead, stdoutRead);
  closeIfOpen(outputRead);
  ok = ok && platform::duplicateHandle(errorRead, stderrRead);
  closeIfOpen(errorRead);
  if (!ok) {
    closeIfOpen(*stdoutRead);
    closeIfOpen(*stderrRead);
    closeWriteEnds();
  }
  return ok;
}

uint32_t ProcessRunner::startReader(CaptureBuffer& capture, platform::Handle readEnd,
                                    ThreadRecord& reader) {
  auto* block = new (std::nothrow) PipeReaderBlock{&capture, readEnd, stopFlag.get()};
  uint32_t result = block != nullptr ? startThread(pipeReader, block, &reader) : kRunnerNoMemory;
  if (result != 0) {
    delete block;
    // Nobody reads this pipe: the child's writes to it fail rather than block.
    platform::closeHandle(readEnd);
  }
  return result;
}

uint32_t ProcessRunner::waitWithTimeout(uint32_t milliseconds) {
  timeoutMs = milliseconds;
  uint32_t result = 0;
  bool ended = false;
  if (processInfo.process != nullptr) {
    ended =
        platform::waitForSingleObject(processInfo.process, milliseconds) == platform::kWaitObject0;
    if (!ended) result = platform::getLastError();
  } else {
    result = platform::kErrorInvalidHandle;
  }
  if (!ended) wakeReaders();
  closeWriteEnds();
  return result;
}

uint32_t ProcessRunner::waitForExit(uint32_t* exitCode, uint32_t milliseconds) {
  waitWithTimeout(milliseconds);
  if (!started) return commandRefused ? kRunnerTextDoesNotFit : kRunnerNeverStarted;
  uint32_t code = 0;
  bool read =
      processInfo.process != nullptr && platform::getExitCodeProcess(processInfo.process, &code);
  if (read && exitCode != nullptr) *exitCode = code;
  joinThread(&stderrReader);
  joinThread(&stdoutReader);
  return read ? 0 : kRunnerExitCodeUnavailable;
}

std::size_t ProcessRunner::joinOutput(Output which) {
  bool isStdout = which == Output::kStdout;
  joinThread(isStdout ? &stdoutReader : &stderrReader);
  return (isStdout ? stdoutText : stderrText).size();
}

uint32_t ProcessRunner::copyOutput(Output which, char* buffer, std::size_t size) {
  bool isStdout = which == Output::kStdout;
  joinThread(isStdout ? &stdoutReader : &stderrReader);
  if (buffer == nullptr || size == 0) return kRunnerTextDoesNotFit;
  std::string_view capture = (isStdout ? stdoutText : stderrText).view();
  std::size_t copied = capture.size() < size ? capture.size() : size - 1;
  std::memcpy(buffer, capture.data(), copied);
  buffer[copied] = '\0';
  return copied == capture.size() ? 0 : kRunnerTextDoesNotFit;
}

void ProcessRunner::wakeReaders() {
  if (stopFlag != nullptr) stopFlag->store(true);
  writeWakeBytes(stdoutWrite);
  writeWakeBytes(stderrWrite);
}

void ProcessRunner::closeWriteEnds() {
  closeIfOpen(stdoutWrite);
  closeIfOpen(stderrWrite);
}

void ProcessRunner::endRun() {
  if (stdoutReader.thread.joinable() || stderrReader.thread.joinable()) {
    // A run nobody waited for: its pipes may still be open and its child still
    // writing, so the readers are told to stop rather than waited out.
    if (stdoutWrite != nullptr || stderrWrite != nullptr) wakeReaders();
    closeWriteEnds();
    joinThread(&stdoutReader);
    joinThread(&stderrReader);
  }
  closeWriteEnds();
  closeIfOpen(processInfo.process);
  closeIfOpen(processInfo.thread);
  processInfo = platform::ProcessInfo();
  stopFlag.reset();
}
