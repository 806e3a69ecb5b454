#pragma once

#include <cstddef>
#include <cstdint>

#include "base/fixed_text.h"
#include "process/runner_codes.h"

// A composed command line, or a transform name, that does not fit its buffer
// ends the composition with the process runner's code for a text that does
// not fit (kRunnerTextDoesNotFit), the code the runner would refuse such a
// command with.

// The composition's working fields, each with its terminator: the system
// directory the installer is taken from, and the transform texts (a slot
// transform name, a language transform name and the path it is tested at,
// and the whole " TRANSFORMS=" clause).
constexpr std::size_t kSystemDirectoryCapacity = 1025;
constexpr std::size_t kTransformFieldCapacity = 65;
using TransformText = FixedText<kTransformFieldCapacity>;
