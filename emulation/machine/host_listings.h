#pragma once

#include <time.h>

#include <atomic>
#include <memory>
#include <string>
#include <vector>

// The host directories a program has looked into, each listed once and kept
// while it stays true: resolving a path looks at every directory on the way,
// and a run asks for many files that do not exist (the level files of
// products a copy does not hold). What this program itself creates, renames
// or deletes is seen at once, because every such change made through the
// platform or the host-file helpers forgets what was kept. A name that a
// listing lacks is checked against the directory's modification time before
// it is called missing, so that what other programs add meanwhile is seen as
// on Windows. Code that changes the machine's files by other means calls
// forgetHostListings().
namespace emulated {

// What a listing says an entry is.
enum class HostEntryType { kUnknown, kFile, kDirectory };

struct HostListing {
  bool listed = false;          // false: not a directory this program can read
  struct timespec listedAt {};  // the file system's clock just before the listing
  // The file system's clock (in nanoseconds) when the directory was last
  // found unchanged: within the same tick of that clock it is not asked again.
  mutable std::atomic<long long> checkedAt{0};
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
// Before a name that the listing of dir lacks is called missing: true, after
// forgetting every listing held, when the directory has changed since it was
// listed (another program may have added the name), so that the caller looks
// again; false when the listing still holds. A change made in the same tick
// of the file system's clock as the last look may wait for the next tick.
bool listingChangedSince(const std::string& dir, const HostListing& listing);
// Drops every listing held: called after any change to the host's files, and
// when a started program has ended.
void forgetHostListings();
// Forgets every listing held when it goes out of scope: for code that changes
// the host's files, whether the change succeeds or not.
struct ForgetListingsAfter {
  ForgetListingsAfter() = default;
  ForgetListingsAfter(const ForgetListingsAfter&) = delete;
  ForgetListingsAfter& operator=(const ForgetListingsAfter&) = delete;
  ~ForgetListingsAfter() { forgetHostListings(); }
};

}  // namespace emulated
