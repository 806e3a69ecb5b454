#include "emulation/machine/exit_code_channel.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace emulated {
namespace {

// A code is at most ten digits; the reservation leaves room for a line end.
constexpr std::size_t kCodeRoom = 16;

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

bool writeAll(int fd, const std::string& text, off_t at, bool positioned) {
  std::size_t done = 0;
  while (done < text.size()) {
    const ssize_t n = positioned ? ::pwrite(fd, text.data() + done, text.size() - done,
                                            at + static_cast<off_t>(done))
                                 : ::write(fd, text.data() + done, text.size() - done);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return false;
    done += static_cast<std::size_t>(n);
  }
  return true;
}

// The KV7_EXIT_CODE_FILE opened at program start, or -1.
int& exitCodeFileDescriptor() {
  static int fd = -1;
  return fd;
}

void reportExitCodeFileFailure(const char* file, uint32_t exitCode, int error) {
  std::fprintf(stderr, "The emulated Windows machine cannot write the exit code %u to %s: %s\n",
               exitCode, file, std::strerror(error));
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
  fd = ::open(file, O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
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
  if (channel >= 0 && !writeAll(channel, text, 0, false) && errno != EPIPE) {
    std::fprintf(stderr,
                 "The emulated Windows machine cannot hand exit code %u to its parent: %s\n",
                 exitCode, std::strerror(errno));
  }

  const char* file = std::getenv(kExitCodeFileVariable);
  if (file == nullptr || *file == '\0') return;
  int& fd = exitCodeFileDescriptor();
  const bool reserved = fd >= 0;
  if (!reserved) fd = ::open(file, O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
  if (fd < 0) {
    reportExitCodeFileFailure(file, exitCode, errno);
    return;
  }
  const bool written =
      writeAll(fd, text, 0, true) && ::ftruncate(fd, static_cast<off_t>(text.size())) == 0;
  const int writeError = errno;
  if (::close(fd) != 0 && written) {
    reportExitCodeFileFailure(file, exitCode, errno);
  } else if (!written) {
    reportExitCodeFileFailure(file, exitCode, writeError);
  }
  fd = -1;
}

}  // namespace emulated
