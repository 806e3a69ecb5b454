#include "emulation/machine/refused_names.h"

#include "base/ascii.h"

namespace emulated {
namespace {

bool isDeviceDigit(char c) {
  // ¹ ² ³ in code page 1252 count as digits in a device name.
  return (c >= '1' && c <= '9') || c == '\xB9' || c == '\xB2' || c == '\xB3';
}

}  // namespace

bool holdsRefusedCharacter(std::string_view name) {
  for (char c : name) {
    const auto byte = static_cast<unsigned char>(c);
    if (byte < 32 || c == '"' || c == '<' || c == '>' || c == '|' || c == '*' || c == '?') {
      return true;
    }
  }
  return false;
}

DeviceName deviceNameOf(std::string_view name) {
  std::string_view base = name.substr(0, name.find('.'));
  while (!base.empty() && base.back() == ' ') base.remove_suffix(1);
  if (ascii::equalsNoCase(base, "NUL")) return DeviceName::kNull;
  if (ascii::equalsNoCase(base, "CON") || ascii::equalsNoCase(base, "PRN") ||
      ascii::equalsNoCase(base, "AUX")) {
    return DeviceName::kOther;
  }
  if (base.size() == 4 &&
      (ascii::equalsNoCase(base.substr(0, 3), "COM") ||
       ascii::equalsNoCase(base.substr(0, 3), "LPT")) &&
      isDeviceDigit(base[3])) {
    return DeviceName::kOther;
  }
  return DeviceName::kNone;
}

}  // namespace emulated
