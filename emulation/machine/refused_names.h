#pragma once

#include <cstdint>
#include <string_view>

// Names that Windows gives to no file and no directory.
namespace emulated {

// ERROR_INVALID_NAME: a name holds a character Windows refuses.
constexpr uint32_t kErrorInvalidName = 123;
// ERROR_DIRECTORY: a directory cannot be made where a device is named, and
// a program's working directory is not a directory.
constexpr uint32_t kErrorNotADirectory = 267;

// True when the name (ANSI) holds one of " < > | * ? or a control character
// (1 to 31).
bool holdsRefusedCharacter(std::string_view name);

// What a name stands for when it is a DOS device name: CON, PRN, AUX, NUL,
// COM1 to COM9 or LPT1 to LPT9 (the digits 1 to 3 also as the superscripts
// of code page 1252), in any letter case, whatever follows a dot and blanks
// before it (NUL.txt and "nul .log" are NUL, as on Windows).
enum class DeviceName { kNone, kNull, kOther };
DeviceName deviceNameOf(std::string_view name);

}  // namespace emulated
