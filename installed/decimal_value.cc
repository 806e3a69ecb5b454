#include "installed/decimal_value.h"

#include <cstdint>

#include "base/ascii.h"

uint32_t leadingDecimal(const char* text) {
  if (text == nullptr) return 0;
  while (ascii::isSpace(*text)) ++text;
  bool negative = false;
  if (*text == '+' || *text == '-') {
    negative = *text == '-';
    ++text;
  }
  int64_t value = 0;
  constexpr int64_t kLimit = int64_t{1} << 31;
  for (; ascii::isDigit(*text); ++text) {
    value = value * 10 + (*text - '0');
    if (value > kLimit) value = kLimit;
  }
  if (!negative && value > INT32_MAX) value = INT32_MAX;
  return static_cast<uint32_t>(static_cast<int32_t>(negative ? -value : value));
}
