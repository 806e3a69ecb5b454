#pragma once

#include <string>

// The keyword catalogue as a writer of response files needs it: every
// keyword this setup program knows, in table order, with the ways it may be
// written, its rule and exclusion rule, whether it repeats, whether it holds
// a secret and the programs it is not valid for.
std::string keywordListing();
