#pragma once

#include <string>
#include <string_view>

// The text with control characters written as \n, \r, \t or \xNN, so that
// one reported problem stays one line; other bytes pass unchanged.
std::string printableText(std::string_view text);

// The text with tabs, carriage returns and newlines written as one blank each,
// for a field of a tab-separated line.
std::string tsvField(std::string_view text);
