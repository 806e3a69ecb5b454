#pragma once

#include <memory>
#include <string>
#include <string_view>

#include "emulation/msiexec/package_tables.h"
#include "packaging/msidb/package_file.h"
#include "packaging/msidb/table_data.h"

// An installer package opened read-only: its tables as the package holds
// them, and its streams.
namespace msiexec {

class InstallerPackage {
 public:
  // Null with the reason in *error when the file is missing or is no
  // installer package.
  static std::unique_ptr<InstallerPackage> open(const std::string& hostPath, std::string* error);

  // Every table as the package holds it, before any transform.
  const msidb::Tables& tables() const { return tables_; }
  // The tables this installer acts on, untransformed.
  bool readTables(PackageTables* tables, std::string* error) const {
    return readPackageTables(tables_, tables, error);
  }
  // The bytes of a stream stored in the package ("driver.cab").
  bool readStream(std::string_view name, std::string* bytes, std::string* error) const {
    return file_->readStream(name, bytes, error);
  }
  // The bytes of a row of the Binary table.
  bool readBinary(std::string_view name, std::string* bytes, std::string* error) const {
    return file_->readBinary(name, bytes, error);
  }

  // Reads the tables this installer acts on from a package's tables (with
  // transforms applied). A table the package lacks reads as empty, except
  // Property, Directory, Component, File and InstallExecuteSequence, which
  // every package it installs has.
  static bool readPackageTables(const msidb::Tables& from, PackageTables* tables,
                                std::string* error);

 private:
  InstallerPackage() = default;
  std::unique_ptr<msidb::PackageFile> file_;
  msidb::Tables tables_;
};

}  // namespace msiexec
