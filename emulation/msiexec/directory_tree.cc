#include "emulation/msiexec/directory_tree.h"

#include <set>

#include "base/ascii.h"
#include "emulation/machine/code_page.h"
#include "emulation/machine/machine.h"

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
  // Walks up from the directory to the first one whose place is known
  // without its parent, then works out the places on the way back down:
  // a package's chain of parents may be as long as it likes.
  bool resolve(const std::string& directory, std::string* error) {
    std::vector<const DirectoryRow*> chain;
    std::set<std::string> onChain;
    for (std::string current = directory; !paths_->count(current);) {
      auto row = rows_.find(current);
      if (row == rows_.end()) {
        *error = "the directory \"" + current + "\" is not in the Directory table";
        return false;
      }
      if (!onChain.insert(current).second) {
        *error = "the directory \"" + current + "\" is its own ancestor";
        return false;
      }
      chain.push_back(row->second);
      const DirectoryRow& r = *row->second;
      if (properties_->has(current) || isRoot(r)) break;
      current = r.parent;
    }
    for (auto it = chain.rbegin(); it != chain.rend(); ++it) {
      const DirectoryRow& r = **it;
      std::string path;
      if (properties_->has(r.directory)) {
        path = withTrailingBackslash(properties_->get(r.directory));
      } else if (isRoot(r)) {
        path = properties_->get("ROOTDRIVE");
        if (path.empty()) path = "C:\\";
        path = withTrailingBackslash(path);
      } else {
        path = (*paths_)[r.parent];
        const std::string name = targetName(r.defaultDir);
        if (!name.empty()) path += name + "\\";
      }
      if (path.size() > kMaxPath) {
        *error = "the path of \"" + r.directory + "\" is longer than " + std::to_string(kMaxPath) +
                 " characters: " + path;
        return false;
      }
      (*paths_)[r.directory] = path;
    }
    return true;
  }

  static bool isRoot(const DirectoryRow& r) { return r.parent.empty() || r.parent == r.directory; }

  PropertyTable* properties_;
  std::map<std::string, std::string>* paths_;
  std::map<std::string, const DirectoryRow*> rows_;
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

bool isFullPath(std::string_view windowsPath) {
  return (windowsPath.size() >= 2 && ascii::isAlpha(windowsPath[0]) && windowsPath[1] == ':') ||
         (!windowsPath.empty() && windowsPath[0] == '\\');
}

std::string directoryOf(std::string_view windowsPath) {
  const std::size_t slash = windowsPath.find_last_of('\\');
  return slash == std::string_view::npos ? std::string()
                                         : std::string(windowsPath.substr(0, slash + 1));
}

std::string hostPathOf(std::string_view windowsPath) {
  return emulated::toHostPath(emulated::utf8ToAnsi(windowsPath));
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
