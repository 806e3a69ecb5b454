#pragma once

#include <cstdint>

namespace emulated {

// The calling thread's last error, as GetLastError answers it.
void setLastError(uint32_t code);

// Windows' answer for a registry whose file is malformed
// (ERROR_BADDB, "the configuration registry database is corrupt").
constexpr uint32_t kErrorRegistryCorrupt = 1009;

}  // namespace emulated
