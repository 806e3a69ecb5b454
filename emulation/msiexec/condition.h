#pragma once

#include <string>
#include <string_view>

#include "emulation/msiexec/property_table.h"

// Conditions of the sequence, component and feature tables: properties,
// environment variables (%NAME), integers and "strings", the comparison
// operators (= <> < > <= >= and the substring operators >< << >>, each also
// with ~ for a comparison without regard to letter case), NOT, AND, OR, XOR,
// EQV, IMP and parentheses. Component and feature states ($ ? & !) are not
// known to this installer and make a condition invalid.
namespace msiexec {

// True with *result when the condition is valid; an empty condition is
// true. False with the reason in *error for an invalid one.
bool evaluateCondition(std::string_view condition, const PropertyTable& properties, bool* result,
                       std::string* error);

}  // namespace msiexec
