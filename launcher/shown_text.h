#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "launcher/language_table.h"

// How the launcher's texts reach a person. A text is bytes in the code page
// of the language it is written in (its message file's), which need not be
// the system's: what a person sees is decoded in that code page and shown
// through the wide Windows calls, so that every language is legible on any
// Windows. What a program reads (output into a file or a pipe) keeps the
// bytes as they are.

// The UTF-16 form of text, decoded in the language's code page.
std::u16string decodeShownText(std::string_view text, const MessageLanguage& language);

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
int showBox(std::string_view text, std::string_view caption, BoxKind kind,
            const MessageLanguage& language);

// Writes text to standard output and flushes it: to a console as decoded
// UTF-16 (a console would read the bytes in its own OEM code page), to a
// file or a pipe as the bytes themselves.
void writeShownText(std::string_view text, const MessageLanguage& language);

// What the response-file mode's log file receives for text: the bytes as
// they are when the language's code page is the system's, so that nothing
// changes for the system's own languages; otherwise the decoded text as
// UTF-8 with a byte-order mark, which Notepad and every other reader take
// for UTF-8 on any Windows.
std::string logFileText(std::string_view text, const MessageLanguage& language);
