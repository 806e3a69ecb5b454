#pragma once

#include <string_view>

class ResponseFileEntry;

// Stores text as the entry's name and sets its catalogue row: the first row
// (in table order) that exists for this launcher and is written this way,
// plainly or behind a name collected from the entry's file (the name, any one
// character, the keyword). A row whose excluded programs name the value of
// the PROGNAME environment variable counts as not found. Not found: state
// EntryUnknownKeyword. A null or empty text only clears the name and row.
void resolveKeyword(ResponseFileEntry* entry, const char* text);
void resolveKeyword(ResponseFileEntry* entry, std::string_view text);

// While one lives, resolveKeyword on this thread takes PROGNAME as it was when
// the scope began, instead of reading the environment for every keyword: the
// lines of one file are resolved for one running program.
class ProgramNameForLoad {
 public:
  ProgramNameForLoad();
  ~ProgramNameForLoad();
  ProgramNameForLoad(const ProgramNameForLoad&) = delete;
  ProgramNameForLoad& operator=(const ProgramNameForLoad&) = delete;

 private:
  bool outermost_ = false;
};
