#pragma once

#include <string_view>

class ResponseFileEntry;

// Sets the entry's state from its catalogue row: unknown (1) without a row,
// valid (0) without a value, invalid (2) when the value breaks the rule,
// matches the exclusion rule or fails the check written for KV7OPTIONS,
// DFTDBPATH, DIAGPATH or KV7LOADREC. Returns entry.
ResponseFileEntry* validateEntry(ResponseFileEntry* entry);

// The first word of a KV7OPTIONS value that is not an option, or an empty
// view when every word is one (the value BLANK has no words).
std::string_view firstBadOptionWord(std::string_view value);
