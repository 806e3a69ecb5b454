#pragma once

#include <cstddef>
#include <cstdint>

#include "base/fixed_text.h"

// A composed command line, or a transform name, that does not fit its buffer.
// The process runner refuses a command it cannot hold with the same code.
constexpr uint32_t kCommandTooLong = 5006;

// The composition's working fields, each with its terminator: the system
// directory the installer is taken from, and the transform texts (a slot
// transform name, a language transform name and the path it is tested at,
// and the whole " TRANSFORMS=" clause).
constexpr std::size_t kSystemDirectoryCapacity = 1025;
constexpr std::size_t kTransformFieldCapacity = 65;
using TransformText = FixedText<kTransformFieldCapacity>;
