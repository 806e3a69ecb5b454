#pragma once

#include <cstdint>

class LauncherContext;

// Reports a launcher that cannot start its work (no default log path,
// arguments too long): sets the context's errorFlag and writes one line,
// "<ERROR_LAUNCH>." followed by the "ERROR_RETURN_CODE" text with the code,
// to standard output (not through the message catalog's display, so there
// is no message box and no log file). Returns code.
uint32_t reportInitialisationFailure(LauncherContext& context, uint32_t code);
