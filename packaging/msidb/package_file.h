#pragma once

#include <memory>
#include <string>
#include <string_view>

#include "packaging/msidb/table_data.h"

// An installer package opened read-only through libmsi. Only this file and
// its implementation know libmsi and its object system.
namespace msidb {

// What a package's summary information says about the package, as far as
// its transforms repeat it.
struct PackageSummary {
  std::string platformAndLanguages;  // "x64;1033"
  int installerVersion = 0;          // 500 for Windows Installer 5.0
};

class PackageFile {
 public:
  // Null with the reason in *error when the file is missing or is no
  // installer package.
  static std::unique_ptr<PackageFile> open(const std::string& hostPath, std::string* error);
  ~PackageFile();
  PackageFile(const PackageFile&) = delete;
  PackageFile& operator=(const PackageFile&) = delete;

  // Every table with its columns and rows. Stream columns read as null: their
  // data is read with readBinary.
  bool readTables(Tables* tables, std::string* error) const;
  bool readSummary(PackageSummary* summary, std::string* error) const;
  // The bytes of a stream stored in the package ("driver.cab").
  bool readStream(std::string_view name, std::string* bytes, std::string* error) const;
  // The bytes of a row of the Binary table.
  bool readBinary(std::string_view name, std::string* bytes, std::string* error) const;

 private:
  struct Database;
  explicit PackageFile(std::unique_ptr<Database> database);
  std::unique_ptr<Database> database_;
};

}  // namespace msidb
