#pragma once

#include "base/fixed_text.h"

// The two catalogue keys of the product a run installs: its catalogue id
// (what a copy's product list is asked for) and its short id (what the
// product-code lookup is asked for). Both empty when the catalogue has no
// row for the product code; then no copy holds it.
struct DriverProduct {
  FixedText<64> catalogueId;
  FixedText<64> shortId;
};

// The keys of the first current catalogue row whose product code begins with
// productCode, letter case ignored.
DriverProduct findDriverProduct(const char* productCode);
