#pragma once

#include <string_view>

#include "emulation/msiexec/property_table.h"

// Script custom actions cannot run on the emulated machine, which has no
// script host. Each script function that a package of the product family
// calls has a native stand-in here that does what the script does; a
// package that calls any other function fails to install.
namespace msiexec {

// Returns false when the script would have failed.
using ScriptStandIn = bool (*)(PropertyTable* properties);

// The stand-in for a script function, or null when there is none.
ScriptStandIn findScriptStandIn(std::string_view function);

}  // namespace msiexec
