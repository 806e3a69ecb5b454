#pragma once

#include <cstdint>

// Result codes of the installed-copies subsystem; 0 is success. Callers
// outside the subsystem test them only for zero.
constexpr uint32_t RC_FAILED = 0x90000002, RC_BUFFER_TOO_SMALL = 0x90000008,
                   RC_MISSING_ARGUMENT = 0x9000000C, RC_NO_MEMORY = 0x9000000D,
                   RC_NOT_FOUND = 0x9000006D;
