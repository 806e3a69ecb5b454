#pragma once

#include <string>
#include <string_view>

#include "emulation/machine/registry_file.h"

// The registry value that a formatted value of the Registry table stands
// for: "#x" and hexadecimal digits a binary value, "#%" an expandable text,
// "#" and a decimal integer a 32-bit number, "##" a text that begins with
// "#", a text holding NULs (from "[~]") a multi-string, anything else a
// text.
namespace msiexec {

// False with the reason in *error for a malformed number or binary value.
bool registryValueFromText(std::string_view name, std::string_view formatted,
                           emulated::RegistryValue* value, std::string* error);

}  // namespace msiexec
