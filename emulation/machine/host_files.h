#pragma once

#include <cstdint>
#include <string>
#include <vector>

// Whole-file reads and writes and directory listings on host paths, for the
// emulated machine's own files (registry, exit codes, packages, test
// fixtures). The writes let the path namespace forget the listings it holds.
namespace emulated {

// The largest file of each kind that is read whole; a real Windows machine
// never holds a larger one.
constexpr std::uint64_t kMiB = 1024 * 1024;
constexpr std::uint64_t kMaxRegistryFileBytes = 1024 * kMiB;
constexpr std::uint64_t kMaxPackageFileBytes = 2048 * kMiB;  // packages and cabinets
constexpr std::uint64_t kMaxResponseFileBytes = 64 * kMiB;
constexpr std::uint64_t kMaxMessageFileBytes = 16 * kMiB;

// Reads a regular file (through symbolic links) of at most maxBytes bytes.
// False with an empty *error when nothing is there; false with the reason
// when it cannot be read, is not a regular file (a directory, a FIFO, a
// device), is larger, or is a symbolic link to nothing.
bool readHostFile(const std::string& path, std::string* content, std::string* error,
                  std::uint64_t maxBytes = kMaxPackageFileBytes);
// Writes a temporary file beside path, flushes it and renames it over path.
// A path that is a symbolic link is written through: the file it leads to
// is replaced and the link stays; a link that leads nowhere is an error.
bool writeHostFileAtomically(const std::string& path, const std::string& content,
                             std::string* error);
// The file a path leads to, following symbolic links (a relative link from
// the link's directory). The path itself when it is no link; false with
// *error for a link that leads nowhere or in a loop.
bool followHostLinks(const std::string& path, std::string* target, std::string* error);
// What a host entry of that mode is, for messages: "a FIFO", "a directory"...
std::string kindOfNonRegular(unsigned mode);
// Creates the directory and its missing parents; true when it exists after.
bool makeHostDirectories(const std::string& path);
// The names in a directory (without "." and ".."), sorted by their bytes;
// empty when it cannot be read.
std::vector<std::string> listHostDirectory(const std::string& path);

// The null-terminated array of C strings that exec and posix_spawn take,
// pointing into texts (which must outlive it).
std::vector<char*> cStringArray(std::vector<std::string>& texts);
// Removes a file or a directory tree; true when nothing is left.
bool removeHostTree(const std::string& path);

}  // namespace emulated
