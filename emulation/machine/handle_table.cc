#include "emulation/machine/handle_table.h"

#include <unistd.h>

#include <cstdint>
#include <mutex>
#include <unordered_map>

namespace emulated {
namespace {

struct HandleTable {
  std::mutex mutex;
  std::unordered_map<uintptr_t, std::shared_ptr<KernelObject>> objects;
  uintptr_t next = 0x1000;  // multiples of 4, as Windows' handle values
};

HandleTable& table() {
  static HandleTable* handles = new HandleTable;
  return *handles;
}

}  // namespace

FileObject::~FileObject() {
  if (owned_) ::close(fd_);
}

platform::Handle addHandle(std::shared_ptr<KernelObject> object) {
  HandleTable& t = table();
  std::lock_guard<std::mutex> lock(t.mutex);
  const uintptr_t value = t.next;
  t.next += 4;
  t.objects.emplace(value, std::move(object));
  return reinterpret_cast<platform::Handle>(value);
}

std::shared_ptr<KernelObject> findHandle(platform::Handle handle) {
  HandleTable& t = table();
  std::lock_guard<std::mutex> lock(t.mutex);
  const auto it = t.objects.find(reinterpret_cast<uintptr_t>(handle));
  return it == t.objects.end() ? nullptr : it->second;
}

std::shared_ptr<KernelObject> removeHandle(platform::Handle handle) {
  std::shared_ptr<KernelObject> object;
  HandleTable& t = table();
  {
    std::lock_guard<std::mutex> lock(t.mutex);
    const auto it = t.objects.find(reinterpret_cast<uintptr_t>(handle));
    if (it == t.objects.end()) return nullptr;
    object = std::move(it->second);
    t.objects.erase(it);
  }
  return object;
}

}  // namespace emulated
