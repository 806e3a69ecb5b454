#pragma once

#include <memory>

#include "platform/platform.h"

// The process's table of kernel-object handles. A handle is an opaque number
// that is never handed out twice, so a closed handle stays invalid. The
// table hands out shared references: a thread blocked in a read on one
// handle holds its object alive while others close handles, and no lock is
// held during the read.
namespace emulated {

class KernelObject {
 public:
  virtual ~KernelObject() = default;
};

// A host file descriptor: a pipe end or a standard stream.
class FileObject : public KernelObject {
 public:
  FileObject(int fd, bool owned, bool isPipe) : fd_(fd), owned_(owned), isPipe_(isPipe) {}
  ~FileObject() override;
  int fd() const { return fd_; }
  bool isPipe() const { return isPipe_; }

 private:
  int fd_;
  bool owned_;  // the standard streams stay open when their handles close
  bool isPipe_;
};

platform::Handle addHandle(std::shared_ptr<KernelObject> object);
std::shared_ptr<KernelObject> findHandle(platform::Handle handle);
// Removes the handle; the object goes when its last reference does.
std::shared_ptr<KernelObject> removeHandle(platform::Handle handle);

template <class T>
std::shared_ptr<T> findHandleOf(platform::Handle handle) {
  return std::dynamic_pointer_cast<T>(findHandle(handle));
}

}  // namespace emulated
