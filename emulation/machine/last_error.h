#pragma once

#include <cstdint>

namespace emulated {

// The calling thread's last error, as GetLastError answers it.
void setLastError(uint32_t code);

// Windows' answer for a registry whose file is malformed
// (ERROR_BADDB, "the configuration registry database is corrupt").
constexpr uint32_t kErrorRegistryCorrupt = 1009;

// ERROR_WRITE_PROTECT, "the media is write protected": Windows' answer for
// a change on a disk that cannot be written, as a read-only file system.
constexpr uint32_t kErrorWriteProtect = 19;

}  // namespace emulated
