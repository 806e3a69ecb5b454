#pragma once

#include <cstdio>
#include <string>
#include <string_view>

#include "emulation/msiexec/property_table.h"

// The verbose log that "/l*v" asks for: every step, every property and the
// result, line by line and flushed as it goes, so that the log of an
// installer that was stopped shows how far it came. Texts are UTF-8 here and
// written in the machine's ANSI code page. Without a log file every call
// does nothing.
namespace msiexec {

class VerboseLog {
 public:
  VerboseLog() = default;
  ~VerboseLog();
  VerboseLog(const VerboseLog&) = delete;
  VerboseLog& operator=(const VerboseLog&) = delete;

  // Opens (or, with append, continues) the log at a Windows path and writes
  // its first line. False when the file cannot be opened or that line not
  // written.
  bool open(const std::string& windowsPath, bool append, std::string_view callingProcess);
  bool isOpen() const { return file_ != nullptr; }
  // True once a line could not be written (a full disk, a file gone
  // read-only): the log is then incomplete.
  bool failed() const { return failed_; }

  void message(std::string_view text);
  void actionStart(std::string_view action);
  void actionEnd(std::string_view action, bool succeeded);
  void properties(const PropertyTable& properties);
  // Writes the closing line and closes the file; false when that or any
  // line before could not be written.
  bool close();

 private:
  void writeLine(const std::string& line);
  std::FILE* file_ = nullptr;
  bool failed_ = false;
};

}  // namespace msiexec
