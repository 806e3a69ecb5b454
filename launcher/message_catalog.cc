#include "launcher/message_catalog.h"

#include <cstdio>
#include <cstring>
#include <string>
#include <string_view>

#include "base/ascii.h"
#include "launcher/language_table.h"
#include "launcher/launcher_context.h"
#include "launcher/shown_text.h"
#include "platform/platform.h"

namespace {

constexpr char kMessageFileName[] = "Launch.pro";
constexpr char kFallbackLocale[] = "en_US";
// Lines are read in pieces of at most this many characters; a longer line is
// tested piece by piece.
constexpr int kPieceCapacity = 1024;

enum class Lookup { kNoFile, kNoKey, kFound };

Lookup lookupInFile(const std::string& path, std::string_view key, std::string* text) {
  std::FILE* file = platform::openFile(path.c_str(), "r", platform::FileKind::kMessageFile);
  if (file == nullptr) return Lookup::kNoFile;
  Lookup result = Lookup::kNoKey;
  char piece[kPieceCapacity];
  while (std::fgets(piece, kPieceCapacity, file) != nullptr) {
    std::string_view line(piece);
    if (line.size() <= key.size() || line.substr(0, key.size()) != key || line[key.size()] != '=') {
      continue;
    }
    // The piece's last character is its line feed; on a last line without
    // one it is the text's own last character, and it goes all the same.
    line.remove_suffix(1);
    *text = line.size() > key.size() ? std::string(line.substr(key.size() + 1)) : std::string();
    result = Lookup::kFound;
    break;
  }
  std::fclose(file);
  return result;
}

// The directory's last component, for telling whether it is the fallback.
std::string_view lastComponent(std::string_view dir) {
  while (!dir.empty() && dir.back() == '\\') dir.remove_suffix(1);
  std::size_t slash = dir.rfind('\\');
  return slash == std::string_view::npos ? dir : dir.substr(slash + 1);
}

void copyCut(std::string_view text, char* out, std::size_t capacity) {
  std::size_t length = text.size() < capacity - 1 ? text.size() : capacity - 1;
  std::memcpy(out, text.data(), length);
  out[length] = '\0';
}

}  // namespace

int lookupMessage(const char* messageDir, const char* key, char* out, std::size_t capacity) {
  if (out == nullptr || capacity == 0) return 0;
  out[0] = '\0';
  if (messageDir == nullptr || key == nullptr) return 0;
  std::string dir(messageDir);
  std::string text;
  Lookup found = lookupInFile(dir + "\\" + kMessageFileName, key, &text);
  if (found != Lookup::kFound && !ascii::equalsNoCase(lastComponent(dir), kFallbackLocale)) {
    // The English file beside the chosen one: its parent directory, up to
    // and including the last backslash.
    std::size_t slash = dir.rfind('\\');
    std::string parent = slash == std::string::npos ? std::string() : dir.substr(0, slash + 1);
    lookupInFile(parent + "\\" + kFallbackLocale + "\\" + kMessageFileName, key, &text);
  }
  copyCut(text, out, capacity);
  return 0;
}

int showMessage(const LauncherContext& context, const ShownText& text, bool consoleMode,
                BoxKind kind) {
  char caption[kCaptionCapacity];
  lookupMessage(context.messageDir.c_str(), "CLI_SETUP", caption, sizeof caption);
  const MessageLanguage language = messageLanguageOf(context.messageDir.view());
  if (consoleMode) {
    ShownText shown("\n" + std::string(caption) + ":\n");
    shown += text;
    shown += "\n";
    writeShownText(shown, language);
    // The log file keeps only the last text shown; the installer writes its
    // own log there afterwards.
    std::FILE* log = platform::openFile(context.logFilePath.c_str(), "w+");
    if (log != nullptr) {
      std::fputs(logFileText(text, language).c_str(), log);
      std::fputs("\n", log);
      std::fclose(log);
    }
    return 0;
  }
  if (text.bytes.empty()) return -1;
  showBox(text, caption, kind, language);
  return 0;
}
