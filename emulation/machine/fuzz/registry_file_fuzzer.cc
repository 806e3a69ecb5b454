// Arbitrary bytes as a machine's registry file. The parser either refuses
// them with a line and a reason, or takes them; what it takes, the writer
// writes as a file that reads back to the same registry.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "emulation/machine/registry_file.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size) {
  emulated::RegistryFile registry;
  std::string error;
  if (!registry.parse(std::string_view(reinterpret_cast<const char*>(data), size), &error)) {
    if (error.rfind("line ", 0) != 0) __builtin_trap();
    return 0;
  }
  const std::string written = registry.serialize();
  emulated::RegistryFile reread;
  if (!reread.parse(written, &error)) __builtin_trap();
  if (reread.serialize() != written) __builtin_trap();
  return 0;
}
