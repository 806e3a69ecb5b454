#include "emulation/machine/registry_file.h"

#include "emulation/machine/host_files.h"
#include "emulation/machine/registry_parser.h"

namespace emulated {

RegistryFile::RegistryFile() : top_("") {}

bool RegistryFile::load(const std::string& hostPath, std::string* error) {
  std::string bytes;
  std::string readError;
  if (!readHostFile(hostPath, &bytes, &readError, kMaxRegistryFileBytes)) {
    if (readError.empty()) return true;  // no file: an empty registry
    if (error) *error = hostPath + ": " + readError;
    return false;
  }
  RegistryParseError parseError;
  if (!parseRegistryText(bytes, *this, &parseError)) {
    if (error) *error = hostPath + ":" + std::to_string(parseError.line) + ": " + parseError.reason;
    return false;
  }
  return true;
}

bool RegistryFile::parse(std::string_view bytes, std::string* error) {
  RegistryParseError parseError;
  if (parseRegistryText(bytes, *this, &parseError)) return true;
  if (error) *error = "line " + std::to_string(parseError.line) + ": " + parseError.reason;
  return false;
}

bool RegistryFile::save(const std::string& hostPath, std::string* error) const {
  return writeHostFileAtomically(hostPath, serialize(), error);
}

const RegistryKey* RegistryFile::findKey(std::string_view path) const {
  const RegistryKey* key = &top_;
  for (std::string_view part : splitKeyPath(path)) {
    key = key->findSubkey(part);
    if (key == nullptr) return nullptr;
  }
  return key == &top_ ? nullptr : key;
}

RegistryKey* RegistryFile::createKey(std::string_view path) {
  const std::vector<std::string_view> parts = splitKeyPath(path);
  if (parts.empty() || !isRootKeyName(parts[0]) || !keyPathProblem(parts).empty()) return nullptr;
  RegistryKey* key = &top_;
  for (std::string_view part : parts) key = &key->createSubkey(part);
  return key;
}

bool RegistryFile::deleteKey(std::string_view path) {
  const std::vector<std::string_view> parts = splitKeyPath(path);
  if (parts.size() < 2) return false;  // root keys stay
  RegistryKey* parent = &top_;
  for (std::size_t i = 0; i + 1 < parts.size(); ++i) {
    parent = parent->findSubkey(parts[i]);
    if (parent == nullptr) return false;
  }
  return parent->removeSubkey(parts.back());
}

bool RegistryFile::setValue(std::string_view keyPath, RegistryValue value) {
  if (!valueNameProblem(value.name).empty()) return false;
  RegistryKey* key = createKey(keyPath);
  if (key == nullptr) return false;
  key->setValue(std::move(value));
  return true;
}

bool RegistryFile::deleteValue(std::string_view keyPath, std::string_view valueName) {
  const RegistryKey* found = findKey(keyPath);
  if (found == nullptr) return false;
  return const_cast<RegistryKey*>(found)->removeValue(valueName);
}

}  // namespace emulated
