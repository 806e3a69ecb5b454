#pragma once

#include <map>
#include <string>
#include <string_view>

// Reads the files out of a cabinet, the archive in which an installer
// package carries its files: stored uncompressed or compressed with MSZIP
// (deflate blocks, each using the one before as its dictionary). Quantum and
// LZX compression and cabinets that span several files are not supported.
namespace msiexec {

// The files by their name in the cabinet. False with the reason in *error
// for a damaged or unsupported cabinet; nothing is read beyond its bytes.
bool extractCabinet(std::string_view cabinet, std::map<std::string, std::string>* files,
                    std::string* error);

}  // namespace msiexec
