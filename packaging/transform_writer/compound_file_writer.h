#pragma once

#include <memory>
#include <set>
#include <string>

#include "packaging/msidb/compound_file.h"

// Writes a compound file through libgsf: streams, and storages copied whole
// from other compound files. The file is written beside its final name and
// takes that name only when it is complete.
namespace transform_writer {

class CompoundFileWriter {
 public:
  static std::unique_ptr<CompoundFileWriter> create(const std::string& hostPath,
                                                    const msidb::ClassId& classId,
                                                    std::string* error);
  ~CompoundFileWriter();
  CompoundFileWriter(const CompoundFileWriter&) = delete;
  CompoundFileWriter& operator=(const CompoundFileWriter&) = delete;

  // name is UTF-8, as libgsf takes compound-file names.
  bool addStream(const std::string& name, const std::string& bytes, std::string* error);
  // Every stream and storage of from, except those named in skip.
  bool copyEntries(const msidb::CompoundStorage& from, const std::set<std::string>& skip,
                   std::string* error);
  // A storage named name holding a copy of from, with from's class id.
  bool addStorage(const std::string& name, const msidb::CompoundStorage& from, std::string* error);
  // Completes the file; false (and no file) when anything failed.
  bool finish(std::string* error);

 private:
  struct Output;
  explicit CompoundFileWriter(std::unique_ptr<Output> output);
  std::unique_ptr<Output> output_;
};

}  // namespace transform_writer
