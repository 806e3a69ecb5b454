// Arbitrary conditions of the package tables, over a few properties: each
// is evaluated or refused with a reason, and never evaluated two ways.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "emulation/msiexec/condition.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size) {
  static const msiexec::PropertyTable properties = [] {
    msiexec::PropertyTable p;
    p.set("NAME", "SITEA");
    p.set("Installed", "1");
    p.set("VersionNT", "603");
    p.set("ZERO", "0");
    p.set("NEGATIVE", "-2147483648");
    return p;
  }();
  const std::string_view condition(reinterpret_cast<const char*>(data), size);
  bool first = false;
  std::string error;
  const bool valid = msiexec::evaluateCondition(condition, properties, &first, &error);
  if (!valid && error.empty()) __builtin_trap();
  bool second = !first;
  if (msiexec::evaluateCondition(condition, properties, &second, &error) != valid) __builtin_trap();
  if (valid && second != first) __builtin_trap();
  return 0;
}
