// Arbitrary bytes as a cabinet of an installer package: its files are read
// out, or it is refused with a reason, without reading beyond its bytes.
#include <cstddef>
#include <cstdint>
#include <map>
#include <string>
#include <string_view>

#include "emulation/msiexec/cabinet.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size) {
  std::map<std::string, std::string> files;
  std::string error;
  const std::string_view cabinet(reinterpret_cast<const char*>(data), size);
  if (!msiexec::extractCabinet(cabinet, &files, &error) && error.empty()) __builtin_trap();
  return 0;
}
