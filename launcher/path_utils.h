#pragma once

#include <cstddef>

#include "base/fixed_text.h"

// Small routines on single-byte Windows paths in caller-owned buffers. All
// access to the file system goes through platform/platform.h. Where a
// routine writes into a buffer, capacity is the buffer's size in bytes, its
// terminator included; nothing is ever written beyond it.

// Makes a relative path absolute in place by putting the current directory
// (and a backslash) in front of it. A path counts as absolute when it holds a
// ":" anywhere, begins with two backslashes, or begins with a double quote and
// two backslashes; dot parts are not resolved, and a path that begins with a
// single backslash counts as relative. -1 for an empty path, or when the
// result would not fit (path unchanged); 0 otherwise, also when the current
// directory cannot be read (path unchanged).
int makeAbsolutePath(char* path, std::size_t capacity);
int makeAbsolutePath(PathText& path);

// True when the path, after one leading and one trailing double quote are
// stripped, names an existing regular file (a directory gives false).
bool isRegularFile(const char* path);

// False when the path holds "/", "?", "<", ">", "*" or "|".
bool hasNoIllegalPathChars(const char* path);

// Creates every missing directory of path, from the top down. Returns the
// result of the last creation (0, or -1 also when it already existed).
int createDirectoryTree(const char* path);

// Writes the short (8.3) form of input into output (which may be the same
// buffer). When there is none, or it does not fit, copies input unchanged
// (when it fits) and returns -1; 0 on success.
int shortPathOrCopy(const char* input, char* output, std::size_t capacity);

// Appends a backslash unless the path is empty, already ends in one, or has
// no room left.
void ensureTrailingBackslash(char* path, std::size_t capacity);
void ensureTrailingBackslash(PathText& path);

// Compare after ASCII upper-case conversion, as signed bytes: -1, 0 or 1.
int compareNoCase(const char* a, const char* b);
// As compareNoCase, over at most count characters.
int compareNoCaseN(const char* a, const char* b, std::size_t count);

// First position in text at which pattern matches, letter case ignored, or
// null. An empty text gives null; an empty pattern matches at the start.
const char* findNoCase(const char* text, const char* pattern);

// Looks key up in a list such as "a=1;b=2" (separator '=', delimiter ';'):
// the first piece whose text before its first separator equals key exactly
// decides. Its text after the separator is copied into out when it is
// shorter than capacity (true); otherwise, or when no piece matches, false.
bool findListValue(const char* list, const char* key, char* out, std::size_t capacity,
                   char separator, char delimiter);
