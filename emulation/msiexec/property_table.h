#pragma once

#include <map>
#include <string>
#include <string_view>

// The properties of an installation. Names compare with letter case, as
// Windows Installer compares them; a property set to an empty value does not
// exist, so conditions that test it are false.
namespace msiexec {

class PropertyTable {
 public:
  // The value, or empty when the property is not set.
  std::string get(std::string_view name) const {
    auto it = values_.find(std::string(name));
    return it == values_.end() ? std::string() : it->second;
  }
  bool has(std::string_view name) const { return values_.count(std::string(name)) != 0; }
  void set(std::string_view name, std::string_view value) {
    if (value.empty()) {
      values_.erase(std::string(name));
    } else {
      values_[std::string(name)] = std::string(value);
    }
  }
  // Sorted by name, as the verbose log lists them.
  const std::map<std::string, std::string>& all() const { return values_; }

 private:
  std::map<std::string, std::string> values_;
};

}  // namespace msiexec
