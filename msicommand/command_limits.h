#pragma once

#include <cstdint>

// A composed command line, or a transform name, that does not fit its buffer.
// The process runner refuses a command it cannot hold with the same code.
constexpr uint32_t kCommandTooLong = 5006;
