#pragma once

#include <cstddef>
#include <cstdint>
#include <initializer_list>
#include <limits>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "launcher/language_table.h"
#include "launcher/message_format.h"

// How the launcher's texts reach a person. A text is bytes in the code page
// of the language it is written in (its message file's), which need not be
// the system's: what a person sees is decoded in that code page and shown
// through the wide Windows calls, so that every language is legible on any
// Windows. What a program reads (output into a file or a pipe) keeps the
// bytes as they are. The English texts that stand in for a key a
// translation lacks are ASCII, which reads the same in every code page.

// A text to show, and the parts of it that came from the system rather than
// from a message file: a path the user typed, a copy name the registry
// holds. Those are bytes of the system's code page, the rest of the
// language's.
struct ShownText {
  // Implicitly from a plain text: all of it the language's.
  ShownText() = default;
  ShownText(std::string text) : bytes(std::move(text)) {}
  ShownText(const char* text) : bytes(text != nullptr ? text : "") {}

  // Appends another shown text (a plain text: of the language) with its
  // parts.
  ShownText& operator+=(const ShownText& other);

  std::string bytes;
  std::vector<TextSpan> systemParts;  // in order, within bytes
};

// A message text of the language with its string conversions filled from
// texts of the system (formatMessage's rules), cut to capacity - 1 bytes.
ShownText composeShownText(const char* format, std::initializer_list<const char*> systemTexts,
                           std::size_t capacity = std::numeric_limits<std::size_t>::max());

// The UTF-16 form of text: decoded in the language's code page, its system
// parts in the system's.
std::u16string decodeShownText(const ShownText& text, const MessageLanguage& language);

// What a box is for: its buttons and icon. Buttons, default button and
// answers are the plain message box's.
enum class BoxKind {
  kError,     // OK, the error icon
  kQuestion,  // Yes and No, the warning icon
  kPlain,     // OK, no icon: the usage text the user asked for
};

// Shows text in a message box with the caption, both decoded, read right to
// left and aligned right for a right-to-left language. Answers the button
// pressed (platform::kIdOk, kIdYes, kIdNo).
int showBox(const ShownText& text, std::string_view caption, BoxKind kind,
            const MessageLanguage& language);

// Writes text to standard output and flushes it: to a console as decoded
// UTF-16 (a console would read the bytes in its own OEM code page), to a
// file or a pipe as the bytes themselves.
void writeShownText(const ShownText& text, const MessageLanguage& language);

// What the response-file mode's log file receives for text: the bytes as
// they are when the language's code page is the system's, so that nothing
// changes for the system's own languages; otherwise the decoded text as
// UTF-8 with a byte-order mark, which Notepad and every other reader take
// for UTF-8 on any Windows.
std::string logFileText(const ShownText& text, const MessageLanguage& language);
