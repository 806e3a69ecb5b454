#pragma once

// The one interface through which the system touches the operating system.
// It speaks Windows: paths are Windows paths (drive letters, backslashes),
// texts are single-byte ANSI strings (UTF-16 only where a text is shown to a
// person), and results are Win32 result codes.
// On Windows every call is the Win32 call of the same name; elsewhere the
// emulated Windows machine answers (see README, "The emulated Windows
// machine").

#include <cstddef>
#include <cstdint>
#include <cstdio>

namespace platform {

// ---- Win32 result codes -----------------------------------------------------
constexpr uint32_t kErrorSuccess = 0;
constexpr uint32_t kErrorFileNotFound = 2;
constexpr uint32_t kErrorPathNotFound = 3;
constexpr uint32_t kErrorAccessDenied = 5;
constexpr uint32_t kErrorInvalidHandle = 6;
constexpr uint32_t kErrorNotEnoughMemory = 8;
constexpr uint32_t kErrorInvalidParameter = 87;
constexpr uint32_t kErrorInsufficientBuffer = 122;
constexpr uint32_t kErrorMoreData = 234;
constexpr uint32_t kErrorNoMoreItems = 259;
constexpr uint32_t kErrorUnknownProduct = 1605;
constexpr uint32_t kErrorUnknownProperty = 1608;

// ---- Program start and end --------------------------------------------------

// Called first by every program's main, with main's arguments when the
// program reads them. Returns 0, or the exit code with which the program must
// end at once because the machine it runs on cannot be used (the reason has
// been written to standard error). On Windows it always answers 0 and the
// arguments are the runtime's, in the ANSI code page already; the emulated
// machine loads its registry here, so that a malformed registry file stops a
// program before it does anything, and puts arguments typed in a host shell
// into the ANSI code page (argv[1] on; the texts live as long as the program).
uint32_t startProgram(int argc = 0, char** argv = nullptr);

// Called last by every program's main with its 32-bit exit code; main returns
// what this returns. Windows exit codes are 32 bits wide; where the host keeps
// only 8 bits, the emulated machine hands the whole code to its parent.
int finishProgram(uint32_t exitCode);

// ---- Kernel objects and handles ---------------------------------------------
using Handle = void*;  // null: no handle

constexpr uint32_t kInfinite = 0xFFFFFFFFu;
constexpr uint32_t kWaitObject0 = 0;
constexpr uint32_t kWaitAbandoned = 0x80;
constexpr uint32_t kWaitTimeout = 258;
constexpr uint32_t kWaitFailed = 0xFFFFFFFFu;
constexpr uint32_t kStillActive = 259;

// CreateMutexA(no security attributes, initial owner FALSE, name).
Handle createMutex(const char* name);
// WaitForSingleObject on a mutex or a process handle.
uint32_t waitForSingleObject(Handle handle, uint32_t milliseconds);
bool releaseMutex(Handle mutex);
bool closeHandle(Handle handle);
uint32_t getLastError();

// FreeConsole().
void freeConsole();

// ---- Names and places -------------------------------------------------------

// GetModuleFileNameA(no module, buffer, size): the program's own file name.
// Returns the length written, 0 on failure (see getLastError).
uint32_t getModuleFileName(char* buffer, uint32_t size);
// GetCommandLineA(): the program's whole command line as its parent wrote it,
// before any splitting into arguments; programs with rules of their own for
// quotes and backslashes (as msiexec has) read this instead of argv.
const char* getCommandLine();
// GetCurrentDirectoryA(size, buffer): the length written; when the buffer is
// too small, the size needed including the terminator; 0 on failure.
uint32_t getCurrentDirectory(uint32_t size, char* buffer);
// GetShortPathNameA: the length written; when the buffer is too small, the
// size needed including the terminator; 0 on failure (2 when the path does not
// exist).
uint32_t getShortPathName(const char* longPath, char* shortPath, uint32_t size);
// GetSystemDirectoryA: the length written, or the size needed, or 0.
uint32_t getSystemDirectory(char* buffer, uint32_t size);
// GetSystemDefaultLangID().
uint16_t getSystemDefaultLangId();
// The user's documents folder through SHGetFolderPathA(CSIDL_PERSONAL) of
// shfolder.dll, loaded at run time from the system directory. buffer holds at
// least 261 bytes. 0 on success; -1 when the library, the function or the
// folder cannot be had.
int documentsFolder(char* buffer, uint32_t size);

// ---- User interface and diagnostics -----------------------------------------
constexpr uint32_t kMbOk = 0x0;
constexpr uint32_t kMbYesNo = 0x4;
constexpr int kIdOk = 1;
constexpr int kIdYes = 6;
constexpr int kIdNo = 7;

constexpr uint32_t kMbIconError = 0x10;
constexpr uint32_t kMbIconWarning = 0x30;
constexpr uint32_t kMbRight = 0x80000;
constexpr uint32_t kMbRtlReading = 0x100000;

// MessageBoxW(no owner, text, caption, style): the texts are UTF-16, so a
// box shows every language whatever the system's code page.
int messageBoxW(const char16_t* text, const char16_t* caption, uint32_t style);
// OutputDebugStringA.
void outputDebugString(const char* text);

// ---- Text encodings ---------------------------------------------------------

// The UTF-8 form of a text in the system's ANSI code page, for output that
// must be UTF-8 (MultiByteToWideChar with CP_ACP, then WideCharToMultiByte
// with CP_UTF8). Writes it with its terminator into buffer and answers its
// length; when it does not fit, writes nothing and answers the size needed
// with the terminator, which is never more than three bytes per ANSI byte
// and one more.
uint32_t ansiToUtf8(const char* ansi, char* buffer, uint32_t size);

// GetACP(): the system's ANSI code page.
uint32_t ansiCodePage();
// MultiByteToWideChar(codePage, 0, text, length, wide, size): the UTF-16 form
// of length bytes of text in the code page (0: the system's ANSI code page).
// Answers the number of UTF-16 units written, or with size 0 the number
// needed; 0 when the code page is unknown (87) or the result does not fit
// (122). Bytes the code page does not define become U+FFFD on the emulated
// machine and Windows' own replacement on Windows.
uint32_t multiByteToWide(uint32_t codePage, const char* text, uint32_t length, char16_t* wide,
                         uint32_t size);

// ---- Files by Windows path --------------------------------------------------

// What a program reads whole through openFile. The emulated machine bounds
// the size of each kind by what no real file of the kind reaches, and stops
// a program (exit code 8115) that would read one that is larger or is no
// regular file; on Windows the kind changes nothing.
enum class FileKind { kAny, kMessageFile, kResponseFile };

// fopen by Windows path. Without "b" in the mode the stream is in text mode as
// the Windows C runtime has it: "\r\n" reads as "\n" and "\n" writes as
// "\r\n". Other readers and writers are not denied. Null on failure.
std::FILE* openFile(const char* path, const char* mode, FileKind kind = FileKind::kAny);

enum class PathKind { kMissing, kRegularFile, kDirectory, kOther };
// What the path names (stat by Windows path).
PathKind pathKind(const char* path);

constexpr int kAccessExists = 0;
constexpr int kAccessWrite = 2;
// _access(path, mode) == 0: mode 0 tests existence, mode 2 write permission
// (a directory always passes the write test).
bool pathAccess(const char* path, int mode);

// _mkdir(path): 0, or -1 when it could not be created (also when it exists).
int makeDirectory(const char* path);

// ---- Registry (read-only, under HKEY_LOCAL_MACHINE) -------------------------
using RegKey = void*;

constexpr uint32_t kKeyQueryValue = 0x0001;
constexpr uint32_t kKeySetValue = 0x0002;
constexpr uint32_t kKeyEnumerateSubKeys = 0x0008;
constexpr uint32_t kKeyRead = 0x20019;
constexpr uint32_t kKeyWow64_32Key = 0x0200;

constexpr uint32_t kRegNone = 0;
constexpr uint32_t kRegSz = 1;
constexpr uint32_t kRegExpandSz = 2;
constexpr uint32_t kRegBinary = 3;
constexpr uint32_t kRegDword = 4;
constexpr uint32_t kRegMultiSz = 7;
constexpr uint32_t kRegQword = 11;

// RegOpenKeyExA(HKEY_LOCAL_MACHINE, subKey, 0, access, key).
uint32_t regOpenKey(const char* subKey, uint32_t access, RegKey* key);
// RegQueryValueExA(key, name, null, type, data, size). type and data may be
// null. With data null, *size receives the size needed. A buffer too small
// gives 234 and *size the size needed. Text values come back as ANSI text
// with their terminator.
uint32_t regQueryValue(RegKey key, const char* valueName, uint32_t* type, void* data,
                       uint32_t* size);
// RegQueryValueExW: the same with a UTF-16 value name; text values come back
// as UTF-16 text with its terminator.
uint32_t regQueryValueW(RegKey key, const char16_t* valueName, uint32_t* type, void* data,
                        uint32_t* size);
// RegEnumKeyExA(key, index, name, nameSize, ...): *nameSize is the buffer size
// in characters on entry and the length written on success. 234 when the name
// does not fit, 259 past the last subkey.
uint32_t regEnumKey(RegKey key, uint32_t index, char* name, uint32_t* nameSize);
uint32_t regCloseKey(RegKey key);

// ---- Windows Installer (msi.dll) --------------------------------------------
constexpr int kInstallStateUnknown = -1;
constexpr int kInstallStateDefault = 5;

// MsiQueryProductStateA(productCode).
int msiQueryProductState(const char* productCode);
// MsiGetProductInfoA(productCode, property, value, size): 0, 1605 for an
// unknown product, 1608 for an unknown property, 234 when the value does not
// fit (*size then holds the length needed without the terminator).
uint32_t msiGetProductInfo(const char* productCode, const char* property, char* value,
                           uint32_t* size);

// ---- The product family's instance library (KV7GENREG64.dll) ---------------
using InstanceListHandle = void*;
constexpr uint32_t kOssNoMoreInstances = 0x900001BEu;
constexpr std::size_t kOssInstanceInfoSize = 2712;
constexpr std::size_t kOssInstanceNameOffset = 16;
constexpr std::size_t kOssInstanceDirOffset = 144;
constexpr std::size_t kOssInstanceCopyOffset = 2576;

// Loaded on first use. Any answer other than 0 is an error code; the library
// that cannot be loaded answers RC_FAILED (0x90000002).
uint32_t ossOpenInstanceList(const char* family, InstanceListHandle* handle, bool flag);
// Fills kOssInstanceInfoSize bytes at info; kOssNoMoreInstances at the end.
uint32_t ossGetNextInstance(InstanceListHandle handle, void* info);
uint32_t ossCloseInstanceList(InstanceListHandle handle);

// ---- Pipes and child processes ----------------------------------------------
constexpr int kStdOutputHandle = -11;
constexpr int kStdErrorHandle = -12;

// CreatePipe with inheritable ends and the system's default buffer size.
bool createPipe(Handle* readEnd, Handle* writeEnd);
// DuplicateHandle of source in this process into a non-inheritable copy with
// the same access.
bool duplicateHandle(Handle source, Handle* copy);
Handle getStdHandle(int which);
bool setStdHandle(int which, Handle handle);
// ReadFile / WriteFile on a pipe end. A read that finds the write ends closed
// fails (or reads 0 bytes).
bool readFile(Handle handle, void* buffer, uint32_t size, uint32_t* read);
bool writeFile(Handle handle, const void* buffer, uint32_t size, uint32_t* written);
// GetConsoleMode(handle) succeeds: the handle is a console, not a file or a
// pipe.
bool isConsole(Handle handle);
// WriteConsoleW(handle, text, length): all of it, or false.
bool writeConsoleW(Handle handle, const char16_t* text, uint32_t length);

struct ProcessInfo {
  Handle process = nullptr;
  Handle thread = nullptr;
  uint32_t processId = 0;
  uint32_t threadId = 0;
};

// CreateProcessA(no application name, commandLine, inherit handles,
// NORMAL_PRIORITY_CLASS, the parent's environment, workingDir or null, hidden
// window, no standard input, the given standard output and error).
// commandLine is a Windows command line: its program part is a Windows path.
bool createProcess(const char* commandLine, const char* workingDir, Handle stdOutput,
                   Handle stdError, ProcessInfo* info);
// GetExitCodeProcess: kStillActive while the process runs.
bool getExitCodeProcess(Handle process, uint32_t* exitCode);

}  // namespace platform
