#pragma once

#include <windows.h>

namespace platform::win32 {

// Loads a library of Windows itself from the system directory and nowhere
// else, so that a file of the same name planted beside the installation image
// or in the current directory is never picked up. Null when it cannot be had.
HMODULE loadSystemLibrary(const char* fileName);

// Loads a library of the product family from, in this order, the program's
// own directory, the system directory and the absolute directories of PATH
// (where the product's installed copies put their libraries). The current
// directory and relative PATH entries are never searched. Null when it
// cannot be had.
HMODULE loadFamilyLibrary(const char* fileName);

// GetProcAddress as a typed function pointer (null when missing).
template <class Function>
Function procAddress(HMODULE library, const char* name) {
  FARPROC address = GetProcAddress(library, name);
  // Through the generic function pointer type: the cast is then deliberate.
  return reinterpret_cast<Function>(reinterpret_cast<void (*)()>(address));
}

}  // namespace platform::win32
