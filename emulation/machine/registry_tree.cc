#include <algorithm>

#include "emulation/machine/code_page.h"
#include "emulation/machine/registry_file.h"

namespace emulated {

RegistryValue makeTextValue(std::string_view name, std::string_view utf8Text, uint32_t type) {
  std::u16string text = utf8ToUtf16(utf8Text);
  text += u'\0';
  return RegistryValue{std::string(name), type, utf16ToBytes(text)};
}

RegistryValue makeDwordValue(std::string_view name, uint32_t number) {
  std::string data(4, '\0');
  for (int i = 0; i < 4; ++i) data[i] = static_cast<char>((number >> (8 * i)) & 0xFF);
  return RegistryValue{std::string(name), 4, data};
}

RegistryKey::RegistryKey(std::string name) : name_(std::move(name)), folded_(foldName(name_)) {}

RegistryKey::~RegistryKey() {
  // Each key taken off the list has given its children to the list, so its
  // own destruction goes no deeper.
  std::vector<std::unique_ptr<RegistryKey>> pending;
  const auto adoptChildren = [&pending](RegistryKey& key) {
    for (auto& child : key.children_) {
      if (child.second != nullptr) pending.push_back(std::move(child.second));
    }
  };
  adoptChildren(*this);
  while (!pending.empty()) {
    std::unique_ptr<RegistryKey> key = std::move(pending.back());
    pending.pop_back();
    adoptChildren(*key);
  }
}

const RegistryKey* RegistryKey::findSubkey(std::string_view name) const {
  const auto it = children_.find(foldName(name));
  return it == children_.end() ? nullptr : it->second.get();
}

RegistryKey* RegistryKey::findSubkey(std::string_view name) {
  const auto it = children_.find(foldName(name));
  return it == children_.end() ? nullptr : it->second.get();
}

RegistryKey& RegistryKey::createSubkey(std::string_view name) {
  std::string folded = foldName(name);
  auto it = children_.find(folded);
  if (it != children_.end()) return *it->second;
  auto child = std::make_unique<RegistryKey>(std::string(name));
  RegistryKey* raw = child.get();
  children_.emplace(std::move(folded), std::move(child));
  const auto at = std::lower_bound(
      sorted_.begin(), sorted_.end(), raw,
      [](const RegistryKey* a, const RegistryKey* b) { return a->folded_ < b->folded_; });
  sorted_.insert(at, raw);
  return *raw;
}

bool RegistryKey::removeSubkey(std::string_view name) {
  const auto it = children_.find(foldName(name));
  if (it == children_.end()) return false;
  sorted_.erase(std::find(sorted_.begin(), sorted_.end(), it->second.get()));
  children_.erase(it);
  return true;
}

const RegistryValue* RegistryKey::findValue(std::string_view name) const {
  const auto it = valueIndex_.find(foldName(name));
  return it == valueIndex_.end() ? nullptr : &values_[it->second];
}

void RegistryKey::setValue(RegistryValue value) {
  std::string folded = foldName(value.name);
  const auto it = valueIndex_.find(folded);
  if (it != valueIndex_.end()) {
    // The first spelling of the name stays, as Windows keeps it.
    value.name = values_[it->second].name;
    values_[it->second] = std::move(value);
    return;
  }
  valueIndex_.emplace(std::move(folded), values_.size());
  values_.push_back(std::move(value));
}

bool RegistryKey::removeValue(std::string_view name) {
  const auto it = valueIndex_.find(foldName(name));
  if (it == valueIndex_.end()) return false;
  values_.erase(values_.begin() + static_cast<std::ptrdiff_t>(it->second));
  valueIndex_.clear();
  for (std::size_t i = 0; i < values_.size(); ++i)
    valueIndex_.emplace(foldName(values_[i].name), i);
  return true;
}

bool isRootKeyName(std::string_view name) {
  static constexpr std::string_view kRoots[] = {"HKEY_LOCAL_MACHINE", "HKEY_CURRENT_USER",
                                                "HKEY_CLASSES_ROOT", "HKEY_USERS",
                                                "HKEY_CURRENT_CONFIG"};
  const std::string folded = foldName(name);
  return std::find(std::begin(kRoots), std::end(kRoots), folded) != std::end(kRoots);
}

std::vector<std::string_view> splitKeyPath(std::string_view path) {
  std::vector<std::string_view> parts;
  std::size_t start = 0;
  while (start <= path.size()) {
    std::size_t end = path.find('\\', start);
    if (end == std::string_view::npos) end = path.size();
    if (end > start) parts.push_back(path.substr(start, end - start));
    start = end + 1;
  }
  return parts;
}

}  // namespace emulated

namespace emulated {
namespace {

// Characters as Windows counts them: UTF-16 units.
std::size_t windowsLength(std::string_view utf8) { return utf8ToUtf16(utf8).size(); }

}  // namespace

std::string keyPathProblem(const std::vector<std::string_view>& names) {
  if (names.size() > kMaxKeyDepth) {
    return "the key is " + std::to_string(names.size()) + " levels deep; Windows allows " +
           std::to_string(kMaxKeyDepth);
  }
  for (std::string_view name : names) {
    // Only a name that could be too long is measured.
    if (name.size() > kMaxKeyNameLength && windowsLength(name) > kMaxKeyNameLength) {
      return "a key name of " + std::to_string(windowsLength(name)) +
             " characters; Windows allows " + std::to_string(kMaxKeyNameLength);
    }
  }
  return "";
}

std::string valueNameProblem(std::string_view name) {
  if (name.size() <= kMaxValueNameLength || windowsLength(name) <= kMaxValueNameLength) return "";
  return "a value name of " + std::to_string(windowsLength(name)) + " characters; Windows allows " +
         std::to_string(kMaxValueNameLength);
}

}  // namespace emulated
