#include "emulation/machine/named_mutex.h"

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <map>

#include "emulation/machine/host_files.h"
#include "emulation/machine/last_error.h"
#include "emulation/machine/machine.h"
#include "platform/platform.h"

namespace emulated {
namespace {

using Clock = std::chrono::steady_clock;

constexpr uint32_t kErrorNotOwner = 288;

struct MutexRegistry {
  std::mutex mutex;
  std::map<std::string, std::weak_ptr<NamedMutex>> byName;  // by lock file
};

MutexRegistry& mutexRegistry() {
  static MutexRegistry* registry = new MutexRegistry;
  return *registry;
}

// Mutex names may hold characters a file name cannot ("Global\X").
std::string lockFileName(const std::string& name) {
  std::string file;
  for (char c : name) file += (c == '/' || c == '\\' || c == '\0') ? '_' : c;
  return file + ".lock";
}

bool tryLock(int fd) {
  if (fd < 0) return true;
  while (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
    if (errno != EINTR) return false;
  }
  return true;
}

bool lockShared(int fd) {
  while (::flock(fd, LOCK_SH) != 0) {
    if (errno != EINTR) return false;
  }
  return true;
}

// Marks the locked file as owned; true when the mark of an owner that ended
// without releasing was still there.
bool markOwned(int fd) {
  if (fd < 0) return false;
  char mark = 0;
  const bool abandoned = ::pread(fd, &mark, 1, 0) == 1;
  const std::string owner = std::to_string(::getpid()) + "\n";
  if (::ftruncate(fd, 0) != 0 || ::pwrite(fd, owner.data(), owner.size(), 0) < 0) {
    // Without its mark an owner that ends is taken as having released.
  }
  return abandoned;
}

void clearMark(int fd) {
  if (fd >= 0 && ::ftruncate(fd, 0) != 0) {
    // A mark left behind makes the next owner see an abandoned mutex.
  }
}

int openFileOf(const std::string& path) {
  return ::open(path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0666);
}

}  // namespace

NamedMutex::~NamedMutex() {
  if (lockFd_ >= 0) ::close(lockFd_);  // gives up the lock with the last handle
  if (openFd_ >= 0) ::close(openFd_);
}

uint32_t NamedMutex::acquire(uint32_t milliseconds) {
  const bool forever = milliseconds == platform::kInfinite;
  const Clock::time_point deadline = Clock::now() + std::chrono::milliseconds(milliseconds);
  std::unique_lock<std::mutex> lock(mutex_);
  const std::thread::id self = std::this_thread::get_id();
  if (owned_ && owner_ == self && count_ > 0) {
    ++count_;
    return platform::kWaitObject0;
  }
  // First the threads of this process, then the other processes.
  while (owned_) {
    if (forever) {
      released_.wait(lock);
    } else if (released_.wait_until(lock, deadline) == std::cv_status::timeout && owned_) {
      return platform::kWaitTimeout;
    }
  }
  owned_ = true;
  owner_ = self;
  lock.unlock();
  auto pause = std::chrono::milliseconds(1);
  bool locked = tryLock(lockFd_);
  while (!locked && (forever || Clock::now() < deadline)) {
    std::this_thread::sleep_for(
        forever ? pause : std::min<Clock::duration>(pause, deadline - Clock::now()));
    pause = std::min(pause * 2, std::chrono::milliseconds(20));
    locked = tryLock(lockFd_);
  }
  lock.lock();
  if (!locked) {
    owned_ = false;
    released_.notify_one();
    return platform::kWaitTimeout;
  }
  count_ = 1;
  return markOwned(lockFd_) ? platform::kWaitAbandoned : platform::kWaitObject0;
}

bool NamedMutex::release() {
  std::lock_guard<std::mutex> lock(mutex_);
  if (!owned_ || owner_ != std::this_thread::get_id() || count_ == 0) {
    setLastError(kErrorNotOwner);
    return false;
  }
  if (--count_ == 0) {
    clearMark(lockFd_);
    if (lockFd_ >= 0) ::flock(lockFd_, LOCK_UN);
    owned_ = false;
    released_.notify_one();
  }
  return true;
}

std::shared_ptr<NamedMutex> openNamedMutex(const std::string& name) {
  const std::string dir = machineDirectory() + "/mutexes";
  const std::string path = dir + "/" + lockFileName(name);
  MutexRegistry& registry = mutexRegistry();
  std::lock_guard<std::mutex> lock(registry.mutex);
  if (auto existing = registry.byName[path].lock()) return existing;
  const int fd = makeHostDirectories(dir) ? openFileOf(path) : -1;
  const int openFd = fd < 0 ? -1 : openFileOf(path + ".open");
  if (fd < 0 || openFd < 0) {
    const int error = errno;  // of the step that failed, the last one taken
    if (fd >= 0) ::close(fd);
    // Windows keeps mutexes in memory; only this machine needs a file for
    // one, so a machine directory that cannot be written is the machine's
    // failure, and it says so.
    std::fprintf(stderr,
                 "The emulated Windows machine cannot create the mutex %s: its lock file %s "
                 "cannot be created in the machine directory %s: %s\n",
                 name.c_str(), path.c_str(), machineDirectory().c_str(), std::strerror(error));
    setLastError(error == EROFS ? kErrorWriteProtect : platform::kErrorAccessDenied);
    return nullptr;
  }
  // No other process has the mutex open: it is a new one, and what an owner
  // left in it before is gone with the old one.
  if (tryLock(openFd)) clearMark(fd);
  lockShared(openFd);
  auto created = std::make_shared<NamedMutex>(fd, openFd);
  registry.byName[path] = created;
  return created;
}

}  // namespace emulated

namespace platform {

Handle createMutex(const char* name) {
  std::shared_ptr<emulated::NamedMutex> mutex = name == nullptr || *name == '\0'
                                                    ? std::make_shared<emulated::NamedMutex>(-1)
                                                    : emulated::openNamedMutex(name);
  if (mutex == nullptr) return nullptr;
  return emulated::addHandle(std::move(mutex));
}

bool releaseMutex(Handle mutex) {
  const auto object = emulated::findHandleOf<emulated::NamedMutex>(mutex);
  if (object == nullptr) {
    emulated::setLastError(kErrorInvalidHandle);
    return false;
  }
  return object->release();
}

}  // namespace platform
