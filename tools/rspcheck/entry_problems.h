#pragma once

#include <cstdint>
#include <string>
#include <vector>

class ResponseFile;

// Why the entry at index is not valid, one sentence per problem: the keyword
// as written, the value, and the rule or the partner it contradicts. Empty
// for a valid entry.
std::vector<std::string> describeEntryProblems(const ResponseFile& file, int32_t index);
