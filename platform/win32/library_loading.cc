#include "platform/win32/library_loading.h"

#include <string>
#include <vector>

namespace platform::win32 {
namespace {

// Windows without the LOAD_LIBRARY_SEARCH_* flags refuses them this way.
bool flagsUnsupported() { return GetLastError() == ERROR_INVALID_PARAMETER; }

std::string systemDirectory() {
  char buffer[MAX_PATH + 1] = {};
  UINT length = GetSystemDirectoryA(buffer, sizeof(buffer));
  if (length == 0 || length >= sizeof(buffer)) return std::string();
  return std::string(buffer, length);
}

std::string programDirectory() {
  std::vector<char> buffer(MAX_PATH + 1);
  for (;;) {
    DWORD length = GetModuleFileNameA(nullptr, buffer.data(), static_cast<DWORD>(buffer.size()));
    if (length == 0) return std::string();
    if (length < buffer.size()) {
      std::string path(buffer.data(), length);
      std::size_t slash = path.find_last_of("\\/");
      return slash == std::string::npos ? std::string() : path.substr(0, slash);
    }
    if (buffer.size() >= 32768) return std::string();
    buffer.resize(buffer.size() * 2);
  }
}

std::string joinPath(const std::string& directory, const char* fileName) {
  std::string path = directory;
  if (!path.empty() && path.back() != '\\' && path.back() != '/') path += '\\';
  return path + fileName;
}

// A directory that does not depend on the current directory: "X:\..." or a
// UNC path.
bool isAbsoluteDirectory(const std::string& directory) {
  if (directory.size() >= 3 && directory[1] == ':' &&
      (directory[2] == '\\' || directory[2] == '/')) {
    char drive = directory[0];
    return (drive >= 'a' && drive <= 'z') || (drive >= 'A' && drive <= 'Z');
  }
  return directory.size() >= 2 && directory[0] == '\\' && directory[1] == '\\';
}

std::vector<std::string> absolutePathDirectories() {
  std::vector<std::string> directories;
  DWORD needed = GetEnvironmentVariableA("PATH", nullptr, 0);
  if (needed == 0) return directories;
  std::vector<char> value(needed);
  DWORD length = GetEnvironmentVariableA("PATH", value.data(), needed);
  if (length == 0 || length >= needed) return directories;
  std::string path(value.data(), length);
  std::size_t begin = 0;
  while (begin <= path.size()) {
    std::size_t end = path.find(';', begin);
    if (end == std::string::npos) end = path.size();
    std::string entry = path.substr(begin, end - begin);
    if (entry.size() >= 2 && entry.front() == '"' && entry.back() == '"') {
      entry = entry.substr(1, entry.size() - 2);
    }
    if (isAbsoluteDirectory(entry)) directories.push_back(entry);
    begin = end + 1;
  }
  return directories;
}

// A library named by its full path; its own dependencies come from its
// directory and the system directory.
HMODULE loadByFullPath(const std::string& path) {
  HMODULE library = LoadLibraryExA(path.c_str(), nullptr,
                                   LOAD_LIBRARY_SEARCH_DLL_LOAD_DIR | LOAD_LIBRARY_SEARCH_SYSTEM32);
  if (library != nullptr || !flagsUnsupported()) return library;
  return LoadLibraryExA(path.c_str(), nullptr, LOAD_WITH_ALTERED_SEARCH_PATH);
}

}  // namespace

HMODULE loadSystemLibrary(const char* fileName) {
  HMODULE library = LoadLibraryExA(fileName, nullptr, LOAD_LIBRARY_SEARCH_SYSTEM32);
  if (library != nullptr || !flagsUnsupported()) return library;
  std::string directory = systemDirectory();
  if (directory.empty()) return nullptr;
  return LoadLibraryExA(joinPath(directory, fileName).c_str(), nullptr,
                        LOAD_WITH_ALTERED_SEARCH_PATH);
}

HMODULE loadFamilyLibrary(const char* fileName) {
  std::vector<std::string> directories;
  directories.push_back(programDirectory());
  directories.push_back(systemDirectory());
  for (std::string& directory : absolutePathDirectories()) directories.push_back(directory);
  for (const std::string& directory : directories) {
    if (directory.empty()) continue;
    std::string path = joinPath(directory, fileName);
    if (GetFileAttributesA(path.c_str()) == INVALID_FILE_ATTRIBUTES) continue;
    if (HMODULE library = loadByFullPath(path)) return library;
  }
  return nullptr;
}

}  // namespace platform::win32
