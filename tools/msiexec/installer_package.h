#pragma once

#include <memory>
#include <string>
#include <string_view>

#include "tools/msiexec/package_tables.h"

// An installer package opened read-only through libmsi. Only this file and
// its implementation know libmsi and its object system.
namespace msiexec {

class InstallerPackage {
 public:
  // Null with the reason in *error when the file is missing or is no
  // installer package.
  static std::unique_ptr<InstallerPackage> open(const std::string& hostPath, std::string* error);
  ~InstallerPackage();
  InstallerPackage(const InstallerPackage&) = delete;
  InstallerPackage& operator=(const InstallerPackage&) = delete;

  // Reads the tables this installer acts on; a table the package lacks
  // reads as empty, except Property, Directory, Component, File and
  // InstallExecuteSequence, which every package it installs has.
  bool readTables(PackageTables* tables, std::string* error) const;
  // The bytes of a stream stored in the package ("driver.cab").
  bool readStream(std::string_view name, std::string* bytes, std::string* error) const;
  // The bytes of a row of the Binary table.
  bool readBinary(std::string_view name, std::string* bytes, std::string* error) const;

 private:
  struct Database;
  explicit InstallerPackage(std::unique_ptr<Database> database);
  std::unique_ptr<Database> database_;
};

}  // namespace msiexec
