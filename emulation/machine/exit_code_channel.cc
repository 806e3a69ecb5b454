#include "emulation/machine/exit_code_channel.h"

#include <fcntl.h>
#include <poll.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "emulation/machine/host_files.h"

namespace emulated {
namespace {

// A code is at most ten digits; the reservation leaves room for a line end.
constexpr std::size_t kCodeRoom = 16;
// How long a program waits at its end for room in a full pipe to its parent.
// A parent reads the code only once the program has ended, so a pipe that
// others filled stays full; the wait is for one that a reader is emptying.
constexpr int kChannelWaitMilliseconds = 1000;

std::string pipeIdentity(int fd) {
  struct stat st;
  if (::fstat(fd, &st) != 0 || !S_ISFIFO(st.st_mode)) return "";
  return std::to_string(static_cast<unsigned long long>(st.st_dev)) + ":" +
         std::to_string(static_cast<unsigned long long>(st.st_ino));
}

// The inherited channel, when KV7_EXIT_CODE_FD names the pipe this process
// really holds there: a variable inherited past a program that does not
// pass the descriptor on must not make this program write into another file.
int inheritedChannel() {
  const char* entry = std::getenv(kExitCodeDescriptorVariable);
  if (entry == nullptr) return -1;
  const std::string text = entry;
  const std::string prefix = std::to_string(kExitCodeDescriptor) + ":";
  if (text.rfind(prefix, 0) != 0) return -1;
  const std::string identity = pipeIdentity(kExitCodeDescriptor);
  return !identity.empty() && text.substr(prefix.size()) == identity ? kExitCodeDescriptor : -1;
}

bool writeAll(int fd, const std::string& text, off_t at) {
  std::size_t done = 0;
  while (done < text.size()) {
    const ssize_t n =
        ::pwrite(fd, text.data() + done, text.size() - done, at + static_cast<off_t>(done));
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return false;
    done += static_cast<std::size_t>(n);
  }
  return true;
}

// Writes into the pipe without blocking, waiting for room at most
// kChannelWaitMilliseconds in all; false with errno set (ETIMEDOUT when the
// pipe stayed full).
bool writeToPipeWithin(int fd, const std::string& text) {
  const int flags = ::fcntl(fd, F_GETFL);
  if (flags < 0 || ::fcntl(fd, F_SETFL, flags | O_NONBLOCK) != 0) return false;
  const auto deadline =
      std::chrono::steady_clock::now() + std::chrono::milliseconds(kChannelWaitMilliseconds);
  std::size_t done = 0;
  while (done < text.size()) {
    const ssize_t n = ::write(fd, text.data() + done, text.size() - done);
    if (n > 0) {
      done += static_cast<std::size_t>(n);
      continue;
    }
    if (n < 0 && errno == EINTR) continue;
    if (n < 0 && errno != EAGAIN) return false;
    const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
        deadline - std::chrono::steady_clock::now());
    if (left.count() <= 0) {
      errno = ETIMEDOUT;
      return false;
    }
    pollfd room = {fd, POLLOUT, 0};
    if (::poll(&room, 1, static_cast<int>(left.count())) < 0 && errno != EINTR) return false;
  }
  return true;
}

// The KV7_EXIT_CODE_FILE opened at program start, or -1.
int& exitCodeFileDescriptor() {
  static int fd = -1;
  return fd;
}

// Why KV7_EXIT_CODE_FILE could not be opened at program start.
std::string& exitCodeFileProblem() {
  static std::string problem;
  return problem;
}

// Opens KV7_EXIT_CODE_FILE for the code, emptied; -1 with the reason when it
// is no regular file or cannot be opened. Like every file the machine reads,
// it is opened without waiting, so that a FIFO holds no program up.
int openExitCodeFile(const char* file, std::string* problem) {
  struct stat st;
  if (::stat(file, &st) == 0 && !S_ISREG(st.st_mode)) {
    *problem = kindOfNonRegular(st.st_mode) + ", not a regular file";
    return -1;
  }
  const int fd = ::open(file, O_WRONLY | O_CREAT | O_NONBLOCK | O_NOCTTY | O_CLOEXEC, 0644);
  if (fd < 0) {
    *problem = std::strerror(errno);
    return -1;
  }
  if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
    *problem = kindOfNonRegular(st.st_mode) + ", not a regular file";
    ::close(fd);
    return -1;
  }
  if (::ftruncate(fd, 0) != 0) {
    *problem = std::strerror(errno);
    ::close(fd);
    return -1;
  }
  return fd;
}

void reportExitCodeFileFailure(const char* file, uint32_t exitCode, const std::string& problem) {
  std::fprintf(stderr, "The emulated Windows machine cannot write the exit code %u to %s: %s\n",
               exitCode, file, problem.c_str());
}

}  // namespace

ExitCodeChannel::ExitCodeChannel() {
  int fds[2];
  if (::pipe2(fds, O_CLOEXEC) != 0) return;
  readEnd_ = fds[0];
  writeEnd_ = fds[1];
}

ExitCodeChannel::~ExitCodeChannel() {
  if (readEnd_ >= 0) ::close(readEnd_);
  closeWriteEnd();
}

std::string ExitCodeChannel::environmentEntry() const {
  return std::string(kExitCodeDescriptorVariable) + "=" + std::to_string(kExitCodeDescriptor) +
         ":" + pipeIdentity(writeEnd_);
}

void ExitCodeChannel::closeWriteEnd() {
  if (writeEnd_ >= 0) ::close(writeEnd_);
  writeEnd_ = -1;
}

uint32_t ExitCodeChannel::collect(int waitStatus, bool statusKnown, const std::string& program) {
  // The child wrote its code before it ended; anything it left running may
  // still hold the write end, so this reads what is there without waiting.
  std::string text;
  if (readEnd_ >= 0 && ::fcntl(readEnd_, F_SETFL, O_NONBLOCK) == 0) {
    char buffer[32];
    for (;;) {
      const ssize_t n = ::read(readEnd_, buffer, sizeof buffer);
      if (n < 0 && errno == EINTR) continue;
      if (n <= 0 || text.size() > kCodeRoom) break;
      text.append(buffer, static_cast<std::size_t>(n));
    }
  }
  char* end = nullptr;
  const unsigned long long code = std::strtoull(text.c_str(), &end, 10);
  if (!text.empty() && text[0] >= '0' && text[0] <= '9' && (*end == '\0' || *end == '\n') &&
      code <= UINT32_MAX) {
    return static_cast<uint32_t>(code);
  }
  uint32_t host = 0;
  std::string how = "an unknown host status";
  if (statusKnown && WIFSIGNALED(waitStatus)) {
    host = 128u + static_cast<uint32_t>(WTERMSIG(waitStatus));
    how = "signal " + std::to_string(WTERMSIG(waitStatus));
  } else if (statusKnown) {
    host = static_cast<uint32_t>(WEXITSTATUS(waitStatus));
    how = "host exit status " + std::to_string(host);
  }
  std::fprintf(stderr,
               "The emulated Windows machine got no exit code from %s; it ended with %s, so %u "
               "stands for its exit code\n",
               program.c_str(), how.c_str(), host);
  return host;
}

void prepareExitCodeHandOver() {
  const int channel = inheritedChannel();
  if (channel >= 0) ::fcntl(channel, F_SETFD, FD_CLOEXEC);
  const char* file = std::getenv(kExitCodeFileVariable);
  int& fd = exitCodeFileDescriptor();
  if (fd >= 0 || file == nullptr || *file == '\0') return;
  fd = openExitCodeFile(file, &exitCodeFileProblem());
  // The room for the code is taken now, while the program has written
  // nothing, and without changing the file's size: a shell that reads the
  // file of a program that never ended finds it empty.
  if (fd >= 0) ::fallocate(fd, FALLOC_FL_KEEP_SIZE, 0, kCodeRoom);
}

void handOverExitCode(uint32_t exitCode) {
  const std::string text = std::to_string(exitCode);
  // A parent that has gone away is no reason to end differently.
  std::signal(SIGPIPE, SIG_IGN);
  const int channel = inheritedChannel();
  if (channel >= 0 && !writeToPipeWithin(channel, text) && errno != EPIPE) {
    if (errno == ETIMEDOUT) {
      std::fprintf(stderr,
                   "The emulated Windows machine cannot hand exit code %u to its parent: the "
                   "pipe stayed full for %d ms\n",
                   exitCode, kChannelWaitMilliseconds);
    } else {
      std::fprintf(stderr,
                   "The emulated Windows machine cannot hand exit code %u to its parent: %s\n",
                   exitCode, std::strerror(errno));
    }
  }

  const char* file = std::getenv(kExitCodeFileVariable);
  if (file == nullptr || *file == '\0') return;
  int& fd = exitCodeFileDescriptor();
  std::string problem = exitCodeFileProblem();
  if (fd < 0) fd = openExitCodeFile(file, &problem);
  if (fd < 0) {
    reportExitCodeFileFailure(file, exitCode, problem);
    return;
  }
  const bool written =
      writeAll(fd, text, 0) && ::ftruncate(fd, static_cast<off_t>(text.size())) == 0;
  const int writeError = errno;
  if (::close(fd) != 0 && written) {
    reportExitCodeFileFailure(file, exitCode, std::strerror(errno));
  } else if (!written) {
    reportExitCodeFileFailure(file, exitCode, std::strerror(writeError));
  }
  fd = -1;
}

}  // namespace emulated
