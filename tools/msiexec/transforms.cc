#include "tools/msiexec/transforms.h"

#include "base/ascii.h"
#include "installed/product_catalogue.h"
#include "platform/emulated/code_page.h"
#include "platform/platform.h"
#include "tools/msiexec/installer_codes.h"

namespace msiexec {
namespace {

bool isFullPath(std::string_view path) {
  return (path.size() >= 2 && ascii::isAlpha(path[0]) && path[1] == ':') ||
         (!path.empty() && path[0] == '\\');
}

std::string directoryOf(std::string_view path) {
  const std::size_t slash = path.find_last_of('\\');
  return slash == std::string_view::npos ? std::string() : std::string(path.substr(0, slash + 1));
}

uint32_t refuse(std::string* error, std::string reason) {
  if (error) *error = std::move(reason);
  return kTransformFailure;
}

}  // namespace

uint32_t instanceSlotOfTransform(std::string_view name) {
  constexpr std::string_view kPrefix = "inst";
  constexpr std::string_view kSuffix = ".mst";
  if (name.size() <= kPrefix.size() + kSuffix.size() || !ascii::startsWithNoCase(name, kPrefix) ||
      !ascii::equalsNoCase(name.substr(name.size() - kSuffix.size()), kSuffix)) {
    return 0;
  }
  const std::string_view digits =
      name.substr(kPrefix.size(), name.size() - kPrefix.size() - kSuffix.size());
  if (digits.size() > 2 || digits[0] == '0') return 0;
  uint32_t slot = 0;
  for (char c : digits) {
    if (!ascii::isDigit(c)) return 0;
    slot = slot * 10 + static_cast<uint32_t>(c - '0');
  }
  return slot >= kFirstInstance && slot <= kLastInstance ? slot : 0;
}

uint32_t selectTransforms(std::string_view list, std::string_view packagePath,
                          TransformSelection* selection, std::string* error) {
  *selection = TransformSelection{};
  std::size_t start = 0;
  while (start <= list.size()) {
    std::size_t end = list.find(';', start);
    if (end == std::string_view::npos) end = list.size();
    std::string_view entry = list.substr(start, end - start);
    start = end + 1;
    if (entry.empty()) continue;
    if (entry[0] == ':') {
      const uint32_t slot = instanceSlotOfTransform(entry.substr(1));
      if (slot == 0) {
        return refuse(error, "the package holds no transform \"" + std::string(entry) + "\"");
      }
      if (selection->instanceSlot != 0) {
        return refuse(error, "more than one instance transform is named");
      }
      selection->instanceSlot = slot;
      continue;
    }
    // "@" and "|" mark where a secured transform is kept; the file is the
    // same.
    if (entry[0] == '@' || entry[0] == '|') entry.remove_prefix(1);
    const std::string path =
        isFullPath(entry) ? std::string(entry) : directoryOf(packagePath) + std::string(entry);
    if (platform::pathKind(emulated::utf8ToAnsi(path).c_str()) !=
        platform::PathKind::kRegularFile) {
      return refuse(error, "the transform \"" + path + "\" does not exist");
    }
    selection->files.push_back(path);
  }
  return 0;
}

}  // namespace msiexec
