#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>

#include "base/fixed_text.h"
#include "installed/inode.h"
#include "launcher/command_options.h"

class ResponseFile;

// The launcher's one state object. Construction parses the arguments,
// settles the program directory, the message directory and the log path,
// validates the options and shows the user whatever was wrong; errorFlag
// then tells whether the context can be used. The command composition reads
// the option fields and may fill the copy fields, copyGuidList and
// responseFile.
class LauncherContext {
 public:
  // argv is the process's ANSI argument vector; argv[0] is never inspected.
  LauncherContext(int argc, char** argv);
  // An empty context (every flag 0, every text empty), neither parsed nor
  // validated: for callers that fill the fields themselves.
  LauncherContext();
  LauncherContext(const LauncherContext&) = delete;
  LauncherContext& operator=(const LauncherContext&) = delete;
  virtual ~LauncherContext();

  // Extracts the options and settles the derived paths. 0; 8114 (no default
  // log path) or 8117 (arguments too long), both reported on standard output
  // and with errorFlag set; or the system's error code when the program's own
  // file name cannot be had (errorFlag set, nothing shown).
  uint32_t parseArguments(int argc, char** argv);

  // Checks the extracted options in their fixed order and shows the message
  // and usage text of the first failing check. 0, or a code 8102-8122 with
  // errorFlag set.
  uint32_t validateOptions(int argc, char** argv);

  // The usage text in the run's language. 0; -1 when the message directory
  // is empty or the text does not fit capacity (out then untouched).
  int buildUsageText(char* out, std::size_t capacity) const;

  uint8_t responseFileMode = 0;  // /u: messages go to the console and log file
  uint8_t installPathGiven = 0;  // /p
  uint8_t languageGiven = 0;     // /i
  uint8_t basicUiRequested = 0;  // /m
  uint8_t copyNameGiven = 0;     // /n
  uint8_t newCopyRequested = 0;  // /o, cleared by /n, /p and /u
  uint8_t copiesScanned = 0;     // set by the copy-slot selection

  PathText installPath;
  PathText logFilePath;
  PathText responseFilePath;
  PathText messageDir;  // holds the run's "Launch.pro"
  PathText imageDir;    // the program's directory, ending in a backslash
  ArgumentLineText argumentLine;
  PathText languageCode;
  CopyNameText copyName;

  uint32_t errorFlag = 0;  // 1 after any failure that was shown to the user

  GuidTextList copyGuidList;                   // filled by the copy-slot selection
  std::unique_ptr<ResponseFile> responseFile;  // loaded by the response-file checks
};
