#pragma once

#include <string>
#include <vector>

#include "tools/rspcheck/format_warnings.h"

class LineLayout;
class ResponseFile;

// Exit code of rspcheck when its arguments are wrong; the load statuses 1 to
// 5 keep their own numbers.
constexpr int kUsageError = 64;

// One line per problem, "FILE:LINE: error: ...", and per warning,
// "FILE:LINE: warning: ...", in file order, then one summary line.
// displayName is the file as the user named it. With the file's layout, LINE
// is the line as an editor counts it, also where setup read two lines as one;
// and a UTF-16 file gets one error at line 1 that says so, instead of what
// the reader made of its bytes.
std::string problemReport(const ResponseFile& file, const std::string& displayName,
                          const LineLayout* layout = nullptr,
                          const std::vector<FormatWarning>& warnings = {});

// One line per warning, "FILE:LINE: warning: ...".
std::string warningLines(const std::string& displayName,
                         const std::vector<FormatWarning>& warnings);

// One line per entry, "LINE<TAB>STATE<TAB>INDEX<TAB>NAME<TAB>VALUE", then
// "status<TAB>N".
std::string entryTable(const ResponseFile& file);

// The exit code for a loaded file: 0, or its load status; with its layout, a
// UTF-16 file that loaded counts as content invalid (1).
int exitCodeFor(const ResponseFile& file, const LineLayout* layout = nullptr);

// For a UTF-16 file, the line "FILE:1: error: ..." that problemReport gives
// it (for the table mode, which reports no errors of its own); else empty.
std::string encodingError(const std::string& displayName, const LineLayout& layout);
