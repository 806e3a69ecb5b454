#pragma once

#include <cstdint>

// A registry text read as a decimal integer from its leading digits, as the
// C runtime's atoi does: leading white space and a sign are allowed, no
// digits give 0, and values beyond 32 bits are clamped.
uint32_t leadingDecimal(const char* text);
