#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

class ResponseFile;
class ResponseFileEntry;

// Why the entry at index is not valid, one sentence per problem: the keyword
// as written, the value, and the rule or the partner it contradicts. Empty
// for a valid entry.
std::vector<std::string> describeEntryProblems(const ResponseFile& file, int32_t index);

// The entry's value as a report shows it: quoted, '(no value)', or for a
// password only its length, so that a report kept in a build log does not
// give it away.
std::string shownValue(const ResponseFileEntry& entry);

// Whether a keyword as written names a password: it ends in the name of a
// password keyword, as every way of writing one does.
bool namesSecret(std::string_view name);
