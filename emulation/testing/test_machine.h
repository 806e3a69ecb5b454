#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

// A throwaway emulated Windows machine for tests: a fresh machine directory
// that becomes the machine of the test process (and of the programs it
// runs) and is removed again afterwards.
namespace emulated {

class TestMachine {
 public:
  // Creates the machine in a new temporary directory, makes it this
  // process's machine and sets KV7_MACHINE to it.
  TestMachine();
  // Removes the directory and restores KV7_MACHINE.
  ~TestMachine();
  TestMachine(const TestMachine&) = delete;
  TestMachine& operator=(const TestMachine&) = delete;

  const std::string& dir() const { return dir_; }

  // Writes system.reg (adding the "Windows Registry Editor Version 5.00"
  // line when the text does not begin with a header) and loads it again in
  // this process. A malformed text is written all the same: the process's
  // registry then answers 1009, and programs started on the machine stop.
  void writeRegistry(std::string_view regText);
  // Writes system.reg byte for byte (for UTF-16 files) and loads it again.
  void writeRegistryBytes(std::string_view rawBytes);
  // Writes a file by Windows path, creating its missing directories.
  void writeFile(std::string_view windowsPath, std::string_view content);
  // Creates a directory and its missing parents by Windows path.
  void makeDirectory(std::string_view windowsPath);
  // Makes the share \\server\share (the machine's folder unc/server/share);
  // its files and folders can then be written by Windows path.
  void makeShare(std::string_view server, std::string_view share);
  // Removes a file or a directory tree by Windows path.
  void removePath(std::string_view windowsPath);
  std::string hostPath(std::string_view windowsPath) const;
  // The file's bytes as stored; empty when it cannot be read.
  std::string readFile(std::string_view windowsPath) const;

  struct ProgramRun {
    uint32_t exitCode = 0;  // the full 32-bit code; 128 + N for a signal N
    std::string out;
    std::string err;
  };
  // Runs a host program on this machine with the arguments as they are
  // (no Windows command-line parsing), KV7_MACHINE and an exit-code channel
  // set, and the given variables added. input, when not empty, is its
  // standard input; else /dev/null.
  ProgramRun run(const std::string& hostProgram, const std::vector<std::string>& args,
                 const std::vector<std::pair<std::string, std::string>>& env = {},
                 const std::string& input = "") const;

  // KV7_TEST_BIN_DIR (set by CTest), else the running test program's
  // directory.
  static std::string testBinDir();
  // KV7_IMAGE_DIR, else testBinDir()/../image.
  static std::string imageDir();

 private:
  void reload();

  std::string dir_;
  bool hadMachineVariable_ = false;
  std::string previousMachineVariable_;
};

// A host file's bytes, for a test to compare; empty when it cannot be read.
std::string readHost(const std::string& hostPath);

}  // namespace emulated
