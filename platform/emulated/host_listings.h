#pragma once

#include <memory>
#include <string>
#include <vector>

// The host directories a program has looked into, each listed once and kept
// for the rest of the run: resolving a path looks at every directory on the
// way, and a run asks for many files that do not exist (the level files of
// products a copy does not hold). What this program itself creates, renames
// or deletes is seen at once, because every such change made through the
// platform or the host-file helpers forgets what was kept; changes that other
// programs make meanwhile are not seen, except those of the programs it
// starts, which are seen once they end. Code that changes the machine's files
// by other means calls forgetHostListings().
namespace emulated {

// What a listing says an entry is.
enum class HostEntryType { kUnknown, kFile, kDirectory };

struct HostListing {
  bool listed = false;               // false: not a directory this program can read
  std::vector<std::string> entries;  // the names, sorted by their bytes
  std::vector<std::string> folded;   // foldName of each entry
  std::vector<HostEntryType> types;  // kUnknown for links and anything the host did not say
  // The index of the entry spelled exactly as name, or -1.
  long indexOf(const std::string& name) const;
};

// The listing of dir, listed now unless this program already holds it.
std::shared_ptr<const HostListing> listingOf(const std::string& dir);
// The listing of dir when this program holds it, else null; lists nothing.
std::shared_ptr<const HostListing> heldListingOf(const std::string& dir);
// What the listing of dir says the entry spelled exactly as name is.
HostEntryType entryTypeOf(const std::string& dir, const std::string& name);
// Counts the times the listings were forgotten: what was worked out from
// them stays true while it stays the same.
unsigned long hostListingsGeneration();
// Drops every listing held: called after any change to the host's files, and
// when a started program has ended.
void forgetHostListings();

}  // namespace emulated
