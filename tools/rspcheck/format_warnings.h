#pragma once

#include <cstdint>
#include <string>
#include <vector>

class LineLayout;
class ResponseFile;

// A line that setup reads otherwise than it looks: what setup does with it
// and how to write it instead. line is the file's line, as an editor counts.
struct FormatWarning {
  int32_t line;
  std::string text;
};

// The warnings for a loaded file and its text, in line order (none for a
// UTF-16 file, which setup cannot read at all):
// - a UTF-8 byte-order mark, which setup reads as part of line 1;
// - without one, a keyword or value in UTF-8 with characters beyond ASCII,
//   which setup reads as other characters of its code page;
// - " #" or " *" inside a value, which starts no comment;
// - a line that fills the reader's pieces exactly and takes the next line in;
// - a COPY_NAME or FILE value that setup cannot put between the quotes of
//   the installer command as it is (a double quote, a trailing backslash);
// - one setting written twice with different separators, which setup keeps
//   twice, and an agent setting whose separator keeps it out of the checks.
std::vector<FormatWarning> findFormatWarnings(const ResponseFile& file, const LineLayout& layout);
