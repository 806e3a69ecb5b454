#pragma once

#include <cstddef>
#include <string>
#include <string_view>

#include "emulation/machine/registry_file.h"

namespace emulated {

struct RegistryParseError {
  std::size_t line = 0;  // 1-based line of the file
  std::string reason;
};

// Applies the registry file text (any encoding the registry editor writes)
// to the model, in file order, and records its encoding in the model.
bool parseRegistryText(std::string_view bytes, RegistryFile& model, RegistryParseError* error);

}  // namespace emulated
