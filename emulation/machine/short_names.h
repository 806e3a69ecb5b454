#pragma once

#include <string>
#include <string_view>
#include <vector>

// 8.3 short names as NTFS gives them when short-name creation is on.
namespace emulated {

// True for a name that already is a short name (1 to 8 characters, an
// optional extension of 1 to 3, only characters a short name may hold).
// Such a name has no other short name and keeps its spelling.
bool isValidShortName(std::string_view ansiName);

// The short name (ANSI) of every entry of one directory, given the entries'
// host names (UTF-8) in any order. A long name gets BASENA~N.EXT, N counting
// the names with the same BASENA and EXT in their sorted order, skipping
// numbers whose short name some entry already has.
std::vector<std::string> shortNamesFor(const std::vector<std::string>& entries);

}  // namespace emulated
