#include "platform/emulated/exit_code_file.h"

#include <fcntl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdint>
#include <cstdlib>

#include "platform/emulated/host_files.h"
#include "platform/emulated/machine.h"

namespace emulated {

std::string newExitCodeFile() {
  const std::string dir = machineDirectory() + "/exit-codes";
  if (!makeHostDirectories(dir)) return "";
  std::string path = dir + "/exit-XXXXXX";
  const int fd = ::mkostemp(path.data(), O_CLOEXEC);
  if (fd < 0) return "";
  ::close(fd);
  return path;
}

uint32_t collectExitCode(const std::string& file, int waitStatus) {
  std::string text;
  const bool written = !file.empty() && readHostFile(file, &text, nullptr) && !text.empty();
  if (!file.empty()) ::unlink(file.c_str());
  if (written) {
    char* end = nullptr;
    const unsigned long long code = std::strtoull(text.c_str(), &end, 10);
    if (end != text.c_str() && code <= UINT32_MAX) return static_cast<uint32_t>(code);
  }
  if (WIFSIGNALED(waitStatus)) return 128u + static_cast<uint32_t>(WTERMSIG(waitStatus));
  return static_cast<uint32_t>(WEXITSTATUS(waitStatus));
}

}  // namespace emulated
