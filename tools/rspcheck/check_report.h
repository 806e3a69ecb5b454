#pragma once

#include <string>

class ResponseFile;

// Exit code of rspcheck when its arguments are wrong; the load statuses 1 to
// 5 keep their own numbers.
constexpr int kUsageError = 64;

// One line per problem, "FILE:LINE: error: ...", in file order, then one
// summary line. displayName is the file as the user named it.
std::string problemReport(const ResponseFile& file, const std::string& displayName);

// One line per entry, "LINE<TAB>STATE<TAB>INDEX<TAB>NAME<TAB>VALUE", then
// "status<TAB>N".
std::string entryTable(const ResponseFile& file);

// The exit code for a loaded file: 0, or its load status.
int exitCodeFor(const ResponseFile& file);
