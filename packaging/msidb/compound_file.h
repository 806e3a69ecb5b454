#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

// Reading compound files (the container of installer packages and
// transforms) through libgsf: a storage lists its streams and storages by
// name and hands out a stream's bytes up to a limit. Only this file and its
// implementation know libgsf's reader.
namespace msidb {

using ClassId = std::array<uint8_t, 16>;

class CompoundStorage {
 public:
  struct Entry {
    std::string name;  // UTF-8, as libgsf gives UTF-16 names
    bool isStorage = false;
  };

  // The root storage of a file, or null with the reason in *error.
  static std::unique_ptr<CompoundStorage> openFile(const std::string& hostPath, std::string* error);
  // The root storage of a compound file held in memory.
  static std::unique_ptr<CompoundStorage> openBytes(std::string bytes, std::string* error);
  ~CompoundStorage();
  CompoundStorage(const CompoundStorage&) = delete;
  CompoundStorage& operator=(const CompoundStorage&) = delete;

  std::vector<Entry> entries() const;
  // A storage inside this one, or null with the reason in *error.
  std::unique_ptr<CompoundStorage> storage(std::string_view name, std::string* error) const;
  // The bytes of a stream of this storage; false when it is missing, cannot
  // be read or holds more than limit bytes.
  bool readStream(std::string_view name, std::size_t limit, std::string* bytes,
                  std::string* error) const;
  ClassId classId() const;

 private:
  struct Handle;
  explicit CompoundStorage(std::shared_ptr<Handle> handle);
  std::shared_ptr<Handle> handle_;
};

}  // namespace msidb
