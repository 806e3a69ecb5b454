// Arbitrary formatted texts of the package tables, and what a Registry table
// row makes of them: a text without brackets stays as it is, and every
// formatted value is a registry value or refused with a reason.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "emulation/msiexec/formatted_text.h"
#include "emulation/msiexec/registry_value_text.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size) {
  static const msiexec::PropertyTable properties = [] {
    msiexec::PropertyTable p;
    p.set("INSTALLDIR", "C:\\apps\\SITEA\\");
    p.set("KV7_COPY_NAME", "SITEA");
    p.set("EMPTYISH", "[INSTALLDIR]");
    return p;
  }();
  msiexec::FormatSources sources;
  sources.properties = &properties;
  sources.filePath = [](std::string_view key) {
    return key == "kv7drv.dll" ? std::string("C:\\apps\\SITEA\\bin\\kv7drv.dll") : std::string();
  };
  sources.componentDirectory = [](std::string_view key) {
    return key == "Driver" ? std::string("C:\\apps\\SITEA\\bin\\") : std::string();
  };
  const std::string_view text(reinterpret_cast<const char*>(data), size);
  const std::string formatted = msiexec::formatText(text, sources);
  if (text.find('[') == std::string_view::npos && formatted != text) __builtin_trap();

  emulated::RegistryValue value;
  std::string error;
  if (!msiexec::registryValueFromText("Value", formatted, &value, &error) && error.empty()) {
    __builtin_trap();
  }
  return 0;
}
