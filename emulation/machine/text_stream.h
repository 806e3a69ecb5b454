#pragma once

#include <cstdio>

namespace emulated {

// A stream on an open host file descriptor in the Windows C runtime's text
// mode: "\r\n" reads as "\n", a Ctrl-Z ends the text, and "\n" writes as
// "\r\n". Seeks take byte offsets of the file, as the runtime's do. The
// stream owns the descriptor. Null (descriptor closed) on failure.
std::FILE* openTextStream(int fd, const char* mode);

}  // namespace emulated
