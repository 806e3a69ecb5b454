#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

// The registry of an emulated machine as a tree of keys and values, read
// from and written to a text file in the format that the Windows registry
// editor exports and imports. Names are UTF-8 and compare without regard to
// case; values keep the raw bytes Windows would store (texts as UTF-16LE
// with their terminator), so a query answers exactly what Windows answers.
namespace emulated {

// What Windows allows in its registry.
constexpr std::size_t kMaxKeyDepth = 512;           // names in a key's path, its root key included
constexpr std::size_t kMaxKeyNameLength = 255;      // characters of one key name
constexpr std::size_t kMaxValueNameLength = 16383;  // characters of a value name

struct RegistryValue {
  std::string name;  // "" is the key's default value ("@" in the file)
  uint32_t type = 0;
  std::string data;  // raw bytes
};

// A text value (REG_SZ by default) as Windows stores it: UTF-16LE and its
// terminator.
RegistryValue makeTextValue(std::string_view name, std::string_view utf8Text, uint32_t type = 1);
RegistryValue makeDwordValue(std::string_view name, uint32_t number);

class RegistryKey {
 public:
  explicit RegistryKey(std::string name);
  // Takes the subtree apart level by level, so that no depth of keys can
  // exhaust the stack.
  ~RegistryKey();
  RegistryKey(const RegistryKey&) = delete;
  RegistryKey& operator=(const RegistryKey&) = delete;

  // The spelling under which the key was first created.
  const std::string& name() const { return name_; }

  const RegistryKey* findSubkey(std::string_view name) const;
  RegistryKey* findSubkey(std::string_view name);
  // The existing subkey of that name, or a new one.
  RegistryKey& createSubkey(std::string_view name);
  bool removeSubkey(std::string_view name);
  // Sorted as Windows enumerates them: by name, letter case ignored.
  const std::vector<RegistryKey*>& subkeys() const { return sorted_; }

  const RegistryValue* findValue(std::string_view name) const;
  // Replaces a value of the same name (keeping its place) or appends it.
  void setValue(RegistryValue value);
  bool removeValue(std::string_view name);
  // In the order they were first set.
  const std::vector<RegistryValue>& values() const { return values_; }

 private:
  std::string name_;
  std::string folded_;
  std::unordered_map<std::string, std::unique_ptr<RegistryKey>> children_;
  std::vector<RegistryKey*> sorted_;
  std::vector<RegistryValue> values_;
  std::unordered_map<std::string, std::size_t> valueIndex_;
};

// How a registry file is stored; save() keeps the encoding it was loaded in.
enum class RegistryEncoding { kUtf8, kUtf16 };

class RegistryFile {
 public:
  RegistryFile();
  RegistryFile(const RegistryFile&) = delete;
  RegistryFile& operator=(const RegistryFile&) = delete;

  // Reads the file; a file that does not exist is an empty registry. False
  // with *error ("<file>:<line>: <reason>") when it cannot be read or is
  // malformed; the model then holds what was read before the bad line.
  bool load(const std::string& hostPath, std::string* error);
  // Parses the bytes of a registry file on top of the model (deletions in
  // the text apply to what the model holds). *error: "line <n>: <reason>".
  bool parse(std::string_view bytes, std::string* error);
  // The model as a "Windows Registry Editor Version 5.00" file.
  std::string serialize() const;
  // Writes serialize() to a temporary file beside hostPath and renames it
  // over hostPath, so readers see the old file or the new one, never a part.
  bool save(const std::string& hostPath, std::string* error) const;

  RegistryEncoding encoding() const { return encoding_; }
  void setEncoding(RegistryEncoding encoding) { encoding_ = encoding; }

  // Key paths begin with the root key's name, for example
  // "HKEY_LOCAL_MACHINE\SOFTWARE\QOR". Empty components are ignored.
  const RegistryKey* findKey(std::string_view path) const;
  // Creates the key and its missing parents; null for an unknown root or a
  // path that Windows refuses (keyPathProblem).
  RegistryKey* createKey(std::string_view path);
  // Deletes the key and its subtree; false when there was no such key.
  bool deleteKey(std::string_view path);
  // Sets a value, creating the key; false for an unknown root, a key path
  // Windows refuses or a value name longer than Windows allows.
  bool setValue(std::string_view keyPath, RegistryValue value);
  bool deleteValue(std::string_view keyPath, std::string_view valueName);

  // The nameless key whose subkeys are the root keys.
  const RegistryKey& top() const { return top_; }

 private:
  RegistryKey top_;
  RegistryEncoding encoding_ = RegistryEncoding::kUtf8;
};

// The root keys a registry file may hold.
bool isRootKeyName(std::string_view name);
std::vector<std::string_view> splitKeyPath(std::string_view path);
// Why Windows would refuse a key of these names (too many levels, a name
// too long), or empty.
std::string keyPathProblem(const std::vector<std::string_view>& names);
// Why Windows would refuse this value name, or empty.
std::string valueNameProblem(std::string_view name);

}  // namespace emulated
