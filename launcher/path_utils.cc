#include "launcher/path_utils.h"

#include <cstring>
#include <string>
#include <string_view>
#include <vector>

#include "base/ascii.h"
#include "platform/platform.h"

namespace {

bool isAbsolute(std::string_view p) {
  if (p.find(':') != std::string_view::npos) return true;
  if (p.size() >= 2 && p[0] == '\\' && p[1] == '\\') return true;
  return p.size() >= 3 && p[0] == '"' && p[1] == '\\' && p[2] == '\\';
}

// Copies text into a buffer of capacity bytes; false (buffer untouched) when
// it does not fit.
bool copyInto(std::string_view text, char* out, std::size_t capacity) {
  if (out == nullptr || text.size() + 1 > capacity) return false;
  std::memmove(out, text.data(), text.size());
  out[text.size()] = '\0';
  return true;
}

int upperSigned(char c) { return static_cast<signed char>(ascii::toUpper(c)); }

}  // namespace

int makeAbsolutePath(char* path, std::size_t capacity) {
  if (path == nullptr || path[0] == '\0') return -1;
  std::string_view given(path);
  if (isAbsolute(given)) return 0;
  char current[kPathCapacity] = {};
  uint32_t length = platform::getCurrentDirectory(kPathCapacity, current);
  if (length == 0 || length >= kPathCapacity) return 0;
  std::string result(current, length);
  if (result.back() != '\\') result += '\\';
  result += given;
  return copyInto(result, path, capacity) ? 0 : -1;
}

int makeAbsolutePath(PathText& path) {
  int result = makeAbsolutePath(path.data(), PathText::kCapacity);
  path.syncLength();
  return result;
}

bool isRegularFile(const char* path) {
  if (path == nullptr) return false;
  std::string stripped(path);
  if (!stripped.empty() && stripped.front() == '"') stripped.erase(0, 1);
  if (!stripped.empty() && stripped.back() == '"') stripped.pop_back();
  return platform::pathKind(stripped.c_str()) == platform::PathKind::kRegularFile;
}

bool hasNoIllegalPathChars(const char* path) {
  if (path == nullptr) return true;
  return std::strpbrk(path, "/?<>*|") == nullptr;
}

int createDirectoryTree(const char* path) {
  if (path == nullptr) return -1;
  // The path and each parent cut off at its last backslash, down to one
  // that has no parent to cut off (a drive or a name); made from the top
  // down, as many levels as the path holds.
  std::vector<std::string> levels = {path};
  for (;;) {
    const std::string& work = levels.back();
    const std::size_t last = work.rfind('\\');
    if (last == std::string::npos || last == 0 || work[last - 1] == ':') break;
    std::string parent = work.substr(0, last);
    levels.push_back(std::move(parent));
  }
  int result = -1;
  for (auto level = levels.rbegin(); level != levels.rend(); ++level) {
    result = platform::makeDirectory(level->c_str());
  }
  return result;
}

int shortPathOrCopy(const char* input, char* output, std::size_t capacity) {
  if (input == nullptr || output == nullptr || capacity == 0) return -1;
  std::string original(input);  // output may be the same buffer
  char shortForm[kPathCapacity] = {};
  uint32_t length = platform::getShortPathName(original.c_str(), shortForm, kPathCapacity);
  if (length != 0 && length < kPathCapacity && copyInto(shortForm, output, capacity)) return 0;
  copyInto(original, output, capacity);
  return -1;
}

void ensureTrailingBackslash(char* path, std::size_t capacity) {
  if (path == nullptr) return;
  std::size_t length = std::strlen(path);
  if (length == 0 || path[length - 1] == '\\' || length + 2 > capacity) return;
  path[length] = '\\';
  path[length + 1] = '\0';
}

void ensureTrailingBackslash(PathText& path) {
  if (!path.empty() && path.back() != '\\') path.append('\\');
}

int compareNoCase(const char* a, const char* b) {
  for (;; ++a, ++b) {
    int x = upperSigned(*a);
    int y = upperSigned(*b);
    if (x != y) return x < y ? -1 : 1;
    if (x == 0) return 0;
  }
}

int compareNoCaseN(const char* a, const char* b, std::size_t count) {
  for (std::size_t i = 0; i < count; ++i) {
    int x = upperSigned(a[i]);
    int y = upperSigned(b[i]);
    if (x != y) return x < y ? -1 : 1;
    if (x == 0) return 0;
  }
  return 0;
}

const char* findNoCase(const char* text, const char* pattern) {
  if (text == nullptr || pattern == nullptr || text[0] == '\0') return nullptr;
  std::size_t position = ascii::findNoCase(text, pattern);
  return position == std::string_view::npos ? nullptr : text + position;
}

bool findListValue(const char* list, const char* key, char* out, std::size_t capacity,
                   char separator, char delimiter) {
  if (list == nullptr || key == nullptr) return false;
  std::string_view rest(list);
  while (true) {
    std::size_t end = rest.find(delimiter);
    std::string_view piece = rest.substr(0, end);
    std::size_t split = piece.find(separator);
    if (split != std::string_view::npos && piece.substr(0, split) == key) {
      return copyInto(piece.substr(split + 1), out, capacity);
    }
    if (end == std::string_view::npos) return false;
    rest.remove_prefix(end + 1);
  }
}
