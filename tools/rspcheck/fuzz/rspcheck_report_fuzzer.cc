// Feeds arbitrary bytes to rspcheck as a response file: the reader loads
// them, the line layout reads them whole and in parts of the size the first
// byte chooses, and the warnings and the report are made. What must hold:
// the layout (its lines, the text's first bytes and the lines in UTF-8) does
// not depend on where the reads cut the text, every entry's line and every
// warning's line is a line of the file, and lines come in order in the
// report.

#include <stdio.h>

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>
#include <vector>

#include "responsefile/response_file.h"
#include "tools/rspcheck/check_report.h"
#include "tools/rspcheck/format_warnings.h"
#include "tools/rspcheck/line_layout.h"
#include "tools/rspcheck/text_encoding.h"

namespace {

// A broken promise names itself, so a finding says which it is.
void expect(bool holds, const char* promise) {
  if (holds) return;
  std::fprintf(stderr, "broken: %s\n", promise);
  std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size) {
  if (size < 2) return 0;
  const std::size_t partSize = 1 + data[0];
  const std::string_view text(reinterpret_cast<const char*>(data + 1), size - 1);

  std::FILE* stream = fmemopen(const_cast<char*>(text.data()), text.size(), "r");
  if (stream == nullptr) return 0;
  ResponseFile file(stream);
  std::fclose(stream);

  const LineLayout whole(text);
  LineLayout parts;
  for (std::size_t at = 0; at < text.size(); at += partSize) parts.add(text.substr(at, partSize));
  parts.finish();
  expect(parts.lineCount() == whole.lineCount() && parts.joinedLines() == whole.joinedLines() &&
             parts.head() == whole.head() && parts.utf8Lines() == whole.utf8Lines(),
         "the same layout in parts as whole");
  for (int32_t n : whole.utf8Lines()) {
    expect(n >= 1 && n <= whole.lineCount() && parts.line(n) == whole.line(n) &&
               holdsUtf8Sequences(whole.line(n)),
           "a UTF-8 line is a line of the file, kept whole, and holds UTF-8");
  }
  for (int32_t n : whole.joinedLines()) {
    expect(n >= 1 && n < whole.lineCount() && parts.line(n) == whole.line(n),
           "a joined line has a line after it and the same text in parts");
  }

  int32_t previous = 0;
  for (int32_t i = 0; i < file.entryCount(); ++i) {
    const int32_t line = whole.fileLine(file.entryAt(i)->lineNumber());
    expect(line >= previous && line <= whole.lineCount(), "entries on lines of the file, in order");
    previous = line;
  }
  const std::vector<FormatWarning> warnings = findFormatWarnings(file, whole);
  for (std::size_t i = 0; i < warnings.size(); ++i) {
    expect(warnings[i].line >= 1 && warnings[i].line <= whole.lineCount(),
           "warnings on lines of the file");
    expect(i == 0 || warnings[i].line >= warnings[i - 1].line, "warnings in line order");
  }
  const std::string report = problemReport(file, "f.rsp", &whole, warnings);
  expect(!report.empty() && report.back() == '\n', "a report of whole lines");
  return 0;
}
