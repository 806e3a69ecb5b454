#pragma once

#include <functional>
#include <string>
#include <string_view>

#include "emulation/msiexec/property_table.h"

// Formatted texts of the package tables: "[NAME]" is the property's value,
// "[%NAME]" an environment variable, "[#file]" and "[!file]" the installed
// path of a file, "[$component]" the directory of a component, "[\x]" the
// character x, "[~]" a NUL (which separates the texts of a multi-string
// registry value). A bracket that encloses none of these stays as written.
namespace msiexec {

struct FormatSources {
  const PropertyTable* properties = nullptr;
  // Empty when the key is unknown; either may be left unset.
  std::function<std::string(std::string_view fileKey)> filePath;
  std::function<std::string(std::string_view componentKey)> componentDirectory;
};

std::string formatText(std::string_view text, const FormatSources& sources);

}  // namespace msiexec
