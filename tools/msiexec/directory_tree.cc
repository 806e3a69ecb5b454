#include "tools/msiexec/directory_tree.h"

#include <set>

namespace msiexec {
namespace {

constexpr std::size_t kMaxPath = 260;

// The target part of DefaultDir ("target:source"), as a long name; empty
// for ".", which places the directory where its parent is.
std::string targetName(const std::string& defaultDir) {
  const std::size_t colon = defaultDir.find(':');
  const std::string name = longName(defaultDir.substr(0, colon));
  return name == "." ? "" : name;
}

class Resolver {
 public:
  Resolver(const std::vector<DirectoryRow>& rows, PropertyTable* properties,
           std::map<std::string, std::string>* paths)
      : properties_(properties), paths_(paths) {
    for (const DirectoryRow& row : rows) rows_[row.directory] = &row;
  }

  bool resolveAll(std::string* error) {
    for (const auto& entry : rows_) {
      if (!resolve(entry.first, error)) return false;
    }
    for (const auto& [directory, path] : *paths_) properties_->set(directory, path);
    return true;
  }

 private:
  bool resolve(const std::string& directory, std::string* error) {
    if (paths_->count(directory)) return true;
    auto row = rows_.find(directory);
    if (row == rows_.end()) {
      *error = "the directory \"" + directory + "\" is not in the Directory table";
      return false;
    }
    if (!visiting_.insert(directory).second) {
      *error = "the directory \"" + directory + "\" is its own ancestor";
      return false;
    }
    std::string path;
    const DirectoryRow& r = *row->second;
    const bool isRoot = r.parent.empty() || r.parent == r.directory;
    if (properties_->has(directory)) {
      path = withTrailingBackslash(properties_->get(directory));
    } else if (isRoot) {
      path = properties_->get("ROOTDRIVE");
      if (path.empty()) path = "C:\\";
      path = withTrailingBackslash(path);
    } else {
      if (!resolve(r.parent, error)) return false;
      path = (*paths_)[r.parent];
      const std::string name = targetName(r.defaultDir);
      if (!name.empty()) path += name + "\\";
    }
    visiting_.erase(directory);
    if (path.size() > kMaxPath) {
      *error = "the path of \"" + directory + "\" is longer than " + std::to_string(kMaxPath) +
               " characters: " + path;
      return false;
    }
    (*paths_)[directory] = path;
    return true;
  }

  PropertyTable* properties_;
  std::map<std::string, std::string>* paths_;
  std::map<std::string, const DirectoryRow*> rows_;
  std::set<std::string> visiting_;
};

}  // namespace

std::string longName(const std::string& names) {
  const std::size_t bar = names.find('|');
  return bar == std::string::npos ? names : names.substr(bar + 1);
}

std::string withTrailingBackslash(std::string path) {
  if (path.empty() || path.back() != '\\') path += '\\';
  return path;
}

bool resolveDirectories(const std::vector<DirectoryRow>& rows, PropertyTable* properties,
                        std::map<std::string, std::string>* paths, std::string* error) {
  paths->clear();
  std::string reason;
  Resolver resolver(rows, properties, paths);
  if (!resolver.resolveAll(&reason)) {
    if (error) *error = reason;
    return false;
  }
  return true;
}

}  // namespace msiexec
