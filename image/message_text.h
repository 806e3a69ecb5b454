#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

// Reading the launcher's message files and their key list, for the checks of
// the installation image.
namespace image {

// The printf conversions of a text used as a format, each reduced to what
// decides the argument it consumes: "%" with the length modifier and the
// conversion letter ("%s", "%d", "%ld"); a "*" width or precision consumes an
// int of its own and shows as "%*". Flags, widths and precisions are dropped;
// "%%" consumes nothing. nullopt when a "%" does not start a complete, known
// conversion (a lone "%" at the end, "%q"...).
std::optional<std::string> printfConversions(std::string_view text);

struct MessageEntry {
  std::string key;
  std::string text;
  std::size_t lineNumber = 0;  // 1-based
};

struct MessageFile {
  std::vector<MessageEntry> entries;         // in file order, duplicates kept
  std::vector<std::size_t> unreadableLines;  // lines that hold no KEY=text entry
};

// Splits a message file at lineEnd ("\n" for the sources, "\r\n" for the
// staged files). A key is an upper-case identifier (A-Z, 0-9, "_", beginning
// with a letter) followed directly by "="; the launcher ignores every other
// line, so such a line is reported rather than taken. A final line end is
// expected; text after the last one counts as a line of its own.
MessageFile parseMessageFile(std::string_view content, std::string_view lineEnd);

// One line of the key list: the key, the conversions its callers pass (empty
// for a text shown as it is) and the longest text, in bytes of the staged
// code page, that its lookup buffer holds whole.
struct MessageKey {
  std::string key;
  std::string conversions;
  std::size_t maxTextBytes = 260;
};

// Parses the key list: "KEY<TAB>conversions<TAB>limit", the last two columns
// optional; "#" lines and empty lines are skipped. nullopt, with the line
// number in *badLine, when a line is malformed or its conversions do not
// parse.
std::optional<std::vector<MessageKey>> parseMessageKeys(std::string_view content,
                                                        std::size_t* badLine);

}  // namespace image
