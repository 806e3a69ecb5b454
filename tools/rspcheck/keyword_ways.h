#pragma once

#include <cstdint>
#include <string>
#include <vector>

// The ways a catalogue row may be written, as a writer reads them: the
// keyword itself, or "<DEFAULT_INSTANCE>.KEYWORD", "<INSTANCE>.KEYWORD",
// "<DATABASE>.KEYWORD" and so on, where <X> stands for a name that an X line
// of the same file gives. Empty for a row that cannot be written.
std::vector<std::string> waysOfWriting(int row);

// The ways joined for a sentence: "A", "A or B", "A, B or C".
std::string joinAlternatives(const std::vector<std::string>& ways);

// The QualifierRole bits of a name as words: "the DEFAULT_INSTANCE name",
// "an INSTANCE name", "a DATABASE block name", joined with "and".
std::string describeRoles(uint32_t roles);
