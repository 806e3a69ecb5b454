#pragma once

#include <cstdint>
#include <cstdio>

// Version of the JSON document's layout. Fields may be added without a new
// version; a field that is removed or changes its meaning makes one.
constexpr int kInventorySchemaVersion = 1;

// Writes the inventory as one JSON document (layout in the README, "Deploying"):
// every copy with its version, products and instances, and every copy left
// out with the reason. Texts are converted from the system's ANSI code page;
// the document is plain ASCII, other characters written as \u escapes.
// Answers kInventoryComplete or kInventoryIncomplete, as the text report does.
uint32_t writeInventoryJson(std::FILE* out, bool use32BitView);
