#pragma once

#include <cstddef>
#include <cstdint>

#include "msicommand/install_type.h"

class LauncherContext;

// Decides what this run does with the driver product, from the installed
// copies and the copy name or install path the user gave. May fill the
// context's copyName and installPath from the copy it matched.
uint32_t determineInstallType(LauncherContext& context, const char* driverProductCode,
                              InstallType* type);

// Scans the qualifying copies once per run into the context's copyGuidList;
// 8118 (after telling the user) when the maximum number of copies is reached.
uint32_t collectInstanceProductCodes(LauncherContext& context, const char* driverProductCode);

// The product code this run addresses: the existing copy's, the base code, or
// the code of the highest-numbered free instance slot. out holds 39 bytes and
// is zeroed by the caller.
uint32_t selectInstanceProductCode(LauncherContext& context, const char* driverProductCode,
                                   char* out);

// "inst<N>.mst" for the slot whose product code is instanceProductCode.
uint32_t slotTransformName(const char* driverProductCode, const char* instanceProductCode,
                           char* out, std::size_t capacity);
