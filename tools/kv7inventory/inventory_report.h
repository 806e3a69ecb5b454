#pragma once

#include <cstdint>
#include <cstdio>

// Exit codes of kv7inventory.
constexpr uint32_t kInventoryComplete = 0;
constexpr uint32_t kInventoryUsageError = 1;
// The copies could not all be read; what could be read was printed.
constexpr uint32_t kInventoryIncomplete = 2;

// Prints every installed copy of the product family as setup sees it, in list
// order, with its version and products, then the copies left out as invalid.
// Reads only. Answers kInventoryComplete or kInventoryIncomplete.
uint32_t writeInventory(std::FILE* out, bool use32BitView);
