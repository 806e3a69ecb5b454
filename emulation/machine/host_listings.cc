#include "emulation/machine/host_listings.h"

#include <dirent.h>
#include <sys/stat.h>

#include <algorithm>
#include <mutex>
#include <numeric>
#include <unordered_map>

#include "emulation/machine/code_page.h"

namespace emulated {
namespace {

struct HeldListings {
  std::mutex mutex;
  std::unordered_map<std::string, std::shared_ptr<const HostListing>> byDirectory;
  // Counts the forgettings: a listing read across one is not kept.
  unsigned long generation = 0;
};

// Never destroyed: threads and exit handlers may still resolve paths.
HeldListings& held() {
  static HeldListings* listings = new HeldListings;
  return *listings;
}

HostEntryType typeOf(unsigned char type) {
  if (type == DT_REG) return HostEntryType::kFile;
  if (type == DT_DIR) return HostEntryType::kDirectory;
  return HostEntryType::kUnknown;
}

std::shared_ptr<const HostListing> list(const std::string& path) {
  auto listing = std::make_shared<HostListing>();
  // File times come from the coarse clock: a change made after this moment
  // gives the directory a time no earlier than it.
  ::clock_gettime(CLOCK_REALTIME_COARSE, &listing->listedAt);
  DIR* dir = ::opendir(path.c_str());
  if (dir == nullptr) return listing;
  std::vector<std::string> names;
  std::vector<HostEntryType> types;
  while (const dirent* entry = ::readdir(dir)) {
    const std::string name = entry->d_name;
    if (name == "." || name == "..") continue;
    names.push_back(name);
    types.push_back(typeOf(entry->d_type));
  }
  ::closedir(dir);
  std::vector<std::size_t> order(names.size());
  std::iota(order.begin(), order.end(), 0);
  std::sort(order.begin(), order.end(),
            [&names](std::size_t a, std::size_t b) { return names[a] < names[b]; });
  listing->listed = true;
  for (std::size_t i : order) {
    listing->folded.push_back(foldName(names[i]));
    listing->entries.push_back(std::move(names[i]));
    listing->types.push_back(types[i]);
  }
  return listing;
}

}  // namespace

long HostListing::indexOf(const std::string& name) const {
  auto found = std::lower_bound(entries.begin(), entries.end(), name);
  return found != entries.end() && *found == name ? found - entries.begin() : -1;
}

std::shared_ptr<const HostListing> heldListingOf(const std::string& dir) {
  HeldListings& listings = held();
  std::lock_guard<std::mutex> lock(listings.mutex);
  auto found = listings.byDirectory.find(dir);
  return found != listings.byDirectory.end() ? found->second : nullptr;
}

std::shared_ptr<const HostListing> listingOf(const std::string& dir) {
  HeldListings& listings = held();
  unsigned long generation = 0;
  {
    std::lock_guard<std::mutex> lock(listings.mutex);
    auto found = listings.byDirectory.find(dir);
    if (found != listings.byDirectory.end()) return found->second;
    generation = listings.generation;
  }
  std::shared_ptr<const HostListing> listing = list(dir);
  std::lock_guard<std::mutex> lock(listings.mutex);
  if (listings.generation == generation) listings.byDirectory[dir] = listing;
  return listing;
}

HostEntryType entryTypeOf(const std::string& dir, const std::string& name) {
  const std::shared_ptr<const HostListing> listing = listingOf(dir);
  const long index = listing->indexOf(name);
  return index >= 0 ? listing->types[index] : HostEntryType::kUnknown;
}

bool listingChangedSince(const std::string& dir, const HostListing& listing) {
  if (!listing.listed) return false;
  struct timespec now;
  ::clock_gettime(CLOCK_REALTIME_COARSE, &now);
  const long long tick = static_cast<long long>(now.tv_sec) * 1000000000LL + now.tv_nsec;
  if (listing.checkedAt.load(std::memory_order_relaxed) == tick) return false;
  struct stat st;
  if (::stat(dir.c_str(), &st) != 0) return false;
  const bool changed = st.st_mtim.tv_sec > listing.listedAt.tv_sec ||
                       (st.st_mtim.tv_sec == listing.listedAt.tv_sec &&
                        st.st_mtim.tv_nsec >= listing.listedAt.tv_nsec);
  if (changed) {
    forgetHostListings();
  } else {
    listing.checkedAt.store(tick, std::memory_order_relaxed);
  }
  return changed;
}

unsigned long hostListingsGeneration() {
  HeldListings& listings = held();
  std::lock_guard<std::mutex> lock(listings.mutex);
  return listings.generation;
}

void forgetHostListings() {
  HeldListings& listings = held();
  std::lock_guard<std::mutex> lock(listings.mutex);
  listings.byDirectory.clear();
  ++listings.generation;
}

}  // namespace emulated
