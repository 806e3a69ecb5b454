#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

class ResponseFile;

// The passes over the raw file that run before its lines become entries.
// Each rewinds the stream, reads it to its end and returns the file's status
// afterwards (RspReadFailed after a read error).

// Collects the first word after "ENCRYPTED =" of every ENCRYPTED line.
int32_t collectEncryptedKeywords(ResponseFile& file, std::FILE* stream);

// Collects the INSTANCE names and the DEFAULT_INSTANCE, CTLSRV_INSTANCE and
// ADMIN_INSTANCE names (a later line replaces an earlier one), each cut to
// 80 characters.
int32_t checkInstanceSections(ResponseFile& file, std::FILE* stream);

// Appends the value of every blockKeyword line to names, cut to
// maxNameLength characters.
int32_t collectBlockNames(ResponseFile& file, std::FILE* stream, const char* blockKeyword,
                          std::size_t maxNameLength, std::vector<std::string>& names);

// What the three passes above collect (ENCRYPTED keywords, instance names,
// and the NEW_NODE, CONTACT, DATABASE and LEVEL block names, each cut to 80
// characters), in one pass: the same names in the same order.
int32_t collectQualifyingNames(ResponseFile& file, std::FILE* stream);
