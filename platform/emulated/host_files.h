#pragma once

#include <string>
#include <vector>

// Whole-file reads and writes and directory listings on host paths, for the
// emulated machine's own files (registry, exit codes, test fixtures). The
// writes let the path namespace forget the listings it holds.
namespace emulated {

// False with an empty *error when the file does not exist; false with the
// reason when it cannot be read.
bool readHostFile(const std::string& path, std::string* content, std::string* error);
// Writes a temporary file beside path, flushes it and renames it over path.
bool writeHostFileAtomically(const std::string& path, const std::string& content,
                             std::string* error);
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
