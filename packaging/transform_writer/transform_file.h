#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "packaging/msidb/package_file.h"
#include "packaging/msidb/table_change.h"
#include "packaging/msidb/table_data.h"

// Writes a transform of a package: a compound file of the transform class
// with its summary information, its string pool and one stream per changed
// table.
namespace transform_writer {

// The package a transform is made for.
struct BasePackage {
  msidb::Tables tables;
  msidb::PackageSummary summary;
};

// Reads the package's tables and summary; false with the reason.
bool readBasePackage(const std::string& hostPath, BasePackage* package, std::string* error);

// changes must have been checked against the package (change_list.h).
// codePage is that of the transform's texts (0: neutral, ASCII only).
bool writeTransform(const BasePackage& package, const std::vector<msidb::TableChanges>& changes,
                    uint32_t codePage, const std::string& hostPath, std::string* error);

}  // namespace transform_writer
