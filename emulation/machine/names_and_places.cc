// The program's own name, the current and system directories, short path
// names and the documents folder.
#include <unistd.h>

#include <climits>
#include <cstring>
#include <string>

#include "emulation/machine/code_page.h"
#include "emulation/machine/host_listings.h"
#include "emulation/machine/last_error.h"
#include "emulation/machine/machine.h"
#include "emulation/machine/path_namespace.h"
#include "emulation/machine/short_names.h"
#include "emulation/machine/win32_text_out.h"
#include "platform/platform.h"

namespace platform {
namespace {

constexpr char kSystemDirectory[] = "C:\\Windows\\system32";

std::string shortNameOf(const emulated::PathComponent& component) {
  const auto listing = emulated::listingOf(component.hostDir);
  const std::vector<std::string>& entries = listing->entries;
  const std::vector<std::string> shortNames = emulated::shortNamesFor(entries);
  for (std::size_t i = 0; i < entries.size(); ++i) {
    if (entries[i] == component.host) return shortNames[i];
  }
  return component.given;
}

}  // namespace

uint32_t getModuleFileName(char* buffer, uint32_t size) {
  char exe[PATH_MAX];
  const ssize_t n = ::readlink("/proc/self/exe", exe, sizeof exe - 1);
  if (n <= 0) {
    emulated::setLastError(kErrorFileNotFound);
    return 0;
  }
  const std::string path = emulated::toWindowsPath(std::string(exe, static_cast<std::size_t>(n)));
  if (buffer == nullptr || size == 0) {
    emulated::setLastError(kErrorInsufficientBuffer);
    return 0;
  }
  // As Windows does: a name that does not fit is cut, terminated, and the
  // buffer's size answered with ERROR_INSUFFICIENT_BUFFER.
  if (path.size() + 1 > size) {
    std::memcpy(buffer, path.data(), size - 1);
    buffer[size - 1] = '\0';
    emulated::setLastError(kErrorInsufficientBuffer);
    return size;
  }
  std::memcpy(buffer, path.c_str(), path.size() + 1);
  return static_cast<uint32_t>(path.size());
}

uint32_t getCurrentDirectory(uint32_t size, char* buffer) {
  char cwd[PATH_MAX];
  if (::getcwd(cwd, sizeof cwd) == nullptr) {
    emulated::setLastError(kErrorPathNotFound);
    return 0;
  }
  return emulated::copyTextOutWin32(emulated::toWindowsPath(cwd), buffer, size);
}

uint32_t getShortPathName(const char* longPath, char* shortPath, uint32_t size) {
  if (longPath == nullptr) {
    emulated::setLastError(kErrorInvalidParameter);
    return 0;
  }
  const emulated::ResolvedPath resolved = emulated::resolveWindowsPath(longPath);
  if (!resolved.valid || resolved.error != 0) {
    emulated::setLastError(resolved.error != 0 ? resolved.error : kErrorPathNotFound);
    return 0;
  }
  if (!resolved.exists) {
    emulated::setLastError(kErrorFileNotFound);
    return 0;
  }
  std::string text = resolved.prefix;
  for (char& c : text) {
    if (c == '/') c = '\\';
  }
  for (std::size_t i = 0; i < resolved.components.size(); ++i) {
    const emulated::PathComponent& component = resolved.components[i];
    if (i > 0) text += '\\';
    text += component.dots ? component.given : shortNameOf(component);
  }
  if (resolved.trailingSeparator && (text.empty() || text.back() != '\\')) text += '\\';
  return emulated::copyTextOutWin32(text, shortPath, size);
}

uint32_t getSystemDirectory(char* buffer, uint32_t size) {
  return emulated::copyTextOutWin32(kSystemDirectory, buffer, size);
}

int documentsFolder(char* buffer, uint32_t size) {
  if (buffer == nullptr) return -1;
  const std::string folder =
      "C:\\Users\\" + emulated::utf8ToAnsi(emulated::hostUserName()) + "\\Documents";
  if (folder.size() + 1 > size) return -1;
  std::memcpy(buffer, folder.c_str(), folder.size() + 1);
  return 0;
}

}  // namespace platform
