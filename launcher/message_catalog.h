#pragma once

#include <cstddef>

#include "launcher/shown_text.h"

class LauncherContext;

// The launcher's texts live in "Launch.pro" files, one per language
// directory: lines of KEY=text, the first line for a key wins, keys compared
// exactly. Nothing is cached; every lookup reads the file again.

// Looks key up in messageDir's "Launch.pro" and writes its text into out,
// cut to capacity - 1 characters and always terminated. When that file is
// missing or has no line for the key, the "en_US" directory beside
// messageDir is asked instead, so that a translation that lacks a key still
// shows the English text. Empty text when neither has it. Always 0.
int lookupMessage(const char* messageDir, const char* key, char* out, std::size_t capacity);

// Puts text in front of the user with the caption of "CLI_SETUP" from the
// context's message directory. consoleMode (the context's response-file
// mode): writes "\n<caption>:\n<text>\n" to standard output and replaces the
// content of the context's log file with the text; 0. Otherwise: a message
// box of the kind (an error unless told); 0, or -1 (nothing shown) for an
// empty text. Texts reach the console, the box and the log in the message
// file's language (shown_text.h).
int showMessage(const LauncherContext& context, const ShownText& text, bool consoleMode,
                BoxKind kind = BoxKind::kError);

// The capacity of the buffers messages are looked up into, and of the
// caption.
constexpr std::size_t kMessageCapacity = 261;
constexpr std::size_t kCaptionCapacity = 64;
// The capacity of a composed (formatted) message.
constexpr std::size_t kComposedMessageCapacity = 4097;
