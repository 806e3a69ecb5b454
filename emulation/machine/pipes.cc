// Anonymous pipes, standard handles and the calls that read, write, copy
// and close handles.
#include <fcntl.h>
#include <pthread.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <csignal>
#include <mutex>

#include "emulation/machine/handle_table.h"
#include "emulation/machine/last_error.h"
#include "platform/platform.h"

namespace platform {
namespace {

constexpr int kStdInputHandle = -10;
constexpr uint32_t kErrorBrokenPipe = 109;
constexpr uint32_t kErrorNoData = 232;  // the pipe's reader is gone
constexpr uint32_t kErrorReadFault = 30;
constexpr uint32_t kErrorWriteFault = 29;

struct StandardHandles {
  std::mutex mutex;
  bool made = false;
  Handle slots[3] = {nullptr, nullptr, nullptr};  // input, output, error
};

StandardHandles& standardHandles() {
  static StandardHandles* handles = new StandardHandles;
  return *handles;
}

int slotOf(int which) {
  switch (which) {
    case kStdInputHandle:
      return 0;
    case kStdOutputHandle:
      return 1;
    case kStdErrorHandle:
      return 2;
    default:
      return -1;
  }
}

bool fail(uint32_t code) {
  emulated::setLastError(code);
  return false;
}

}  // namespace

bool createPipe(Handle* readEnd, Handle* writeEnd) {
  if (readEnd == nullptr || writeEnd == nullptr) return fail(kErrorInvalidParameter);
  int fds[2];
  // Close-on-exec: a child gets only the ends it is given.
  if (::pipe2(fds, O_CLOEXEC) != 0) return fail(kErrorNotEnoughMemory);
  *readEnd = emulated::addHandle(std::make_shared<emulated::FileObject>(fds[0], true, true));
  *writeEnd = emulated::addHandle(std::make_shared<emulated::FileObject>(fds[1], true, true));
  return true;
}

bool duplicateHandle(Handle source, Handle* copy) {
  if (copy == nullptr) return fail(kErrorInvalidParameter);
  const std::shared_ptr<emulated::KernelObject> object = emulated::findHandle(source);
  if (object == nullptr) return fail(kErrorInvalidHandle);
  if (const auto file = std::dynamic_pointer_cast<emulated::FileObject>(object)) {
    const int fd = ::fcntl(file->fd(), F_DUPFD_CLOEXEC, 3);
    if (fd < 0) return fail(kErrorNotEnoughMemory);
    *copy = emulated::addHandle(std::make_shared<emulated::FileObject>(fd, true, file->isPipe()));
    return true;
  }
  *copy = emulated::addHandle(object);  // another handle to the same mutex or process
  return true;
}

Handle getStdHandle(int which) {
  const int slot = slotOf(which);
  if (slot < 0) {
    emulated::setLastError(kErrorInvalidParameter);
    return reinterpret_cast<Handle>(static_cast<intptr_t>(-1));
  }
  StandardHandles& s = standardHandles();
  std::lock_guard<std::mutex> lock(s.mutex);
  if (!s.made) {
    s.made = true;
    for (int fd = 0; fd < 3; ++fd) {
      struct stat st;
      const bool isPipe = ::fstat(fd, &st) == 0 && S_ISFIFO(st.st_mode);
      s.slots[fd] = emulated::addHandle(std::make_shared<emulated::FileObject>(fd, false, isPipe));
    }
  }
  return s.slots[slot];
}

bool setStdHandle(int which, Handle handle) {
  const int slot = slotOf(which);
  if (slot < 0) return fail(kErrorInvalidParameter);
  getStdHandle(which);  // the others keep their first handles
  StandardHandles& s = standardHandles();
  std::lock_guard<std::mutex> lock(s.mutex);
  s.slots[slot] = handle;
  return true;
}

bool readFile(Handle handle, void* buffer, uint32_t size, uint32_t* read) {
  const auto file = emulated::findHandleOf<emulated::FileObject>(handle);
  if (file == nullptr) return fail(kErrorInvalidHandle);
  if (read != nullptr) *read = 0;
  ssize_t n;
  do {
    n = ::read(file->fd(), buffer, size);
  } while (n < 0 && errno == EINTR);
  if (n < 0) return fail(errno == EBADF ? kErrorInvalidHandle : kErrorReadFault);
  // On Windows a pipe whose write ends are all closed fails the read.
  if (n == 0 && size > 0 && file->isPipe()) return fail(kErrorBrokenPipe);
  if (read != nullptr) *read = static_cast<uint32_t>(n);
  return true;
}

namespace {

// Writes all bytes; on Windows a write to a pipe without reader fails, so
// the host's SIGPIPE is held back for this thread and taken away again.
ssize_t writeWithoutSigpipe(int fd, const char* data, uint32_t size, uint32_t* done) {
  sigset_t pipeSignal, previous, pending;
  sigemptyset(&pipeSignal);
  sigaddset(&pipeSignal, SIGPIPE);
  sigpending(&pending);
  const bool alreadyPending = sigismember(&pending, SIGPIPE) == 1;
  pthread_sigmask(SIG_BLOCK, &pipeSignal, &previous);
  ssize_t result = 0;
  while (*done < size) {
    const ssize_t n = ::write(fd, data + *done, size - *done);
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) {
      result = -1;
      break;
    }
    *done += static_cast<uint32_t>(n);
  }
  const int writeErrno = errno;
  if (result < 0 && writeErrno == EPIPE && !alreadyPending) {
    const timespec noWait = {0, 0};
    sigtimedwait(&pipeSignal, nullptr, &noWait);
  }
  pthread_sigmask(SIG_SETMASK, &previous, nullptr);
  errno = writeErrno;
  return result;
}

}  // namespace

bool writeFile(Handle handle, const void* buffer, uint32_t size, uint32_t* written) {
  const auto file = emulated::findHandleOf<emulated::FileObject>(handle);
  if (file == nullptr) return fail(kErrorInvalidHandle);
  uint32_t done = 0;
  const ssize_t result =
      writeWithoutSigpipe(file->fd(), static_cast<const char*>(buffer), size, &done);
  if (written != nullptr) *written = done;
  if (result < 0) return fail(errno == EPIPE ? kErrorNoData : kErrorWriteFault);
  return true;
}

bool closeHandle(Handle handle) {
  if (emulated::removeHandle(handle) == nullptr) return fail(kErrorInvalidHandle);
  return true;
}

}  // namespace platform
