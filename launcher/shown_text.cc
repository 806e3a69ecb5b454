#include "launcher/shown_text.h"

#include <cstdio>

#include "base/utf8.h"
#include "platform/platform.h"

namespace {

bool isSystemCodePage(const MessageLanguage& language) {
  return language.codePage == 0 || language.codePage == platform::ansiCodePage();
}

// Decodes bytes of one code page (0: the system's) onto wide.
void appendDecoded(std::string_view text, uint32_t codePage, std::u16string* wide) {
  if (text.empty()) return;
  const auto length = static_cast<uint32_t>(text.size());
  uint32_t needed = platform::multiByteToWide(codePage, text.data(), length, nullptr, 0);
  if (needed == 0) {
    // A code page this Windows lacks: the system's is the best guess left.
    codePage = 0;
    needed = platform::multiByteToWide(codePage, text.data(), length, nullptr, 0);
  }
  const std::size_t start = wide->size();
  wide->resize(start + needed);
  if (needed > 0) {
    wide->resize(start + platform::multiByteToWide(codePage, text.data(), length,
                                                   wide->data() + start, needed));
  }
}

}  // namespace

ShownText& ShownText::operator+=(const ShownText& other) {
  const std::size_t offset = bytes.size();
  bytes += other.bytes;
  for (const TextSpan& part : other.systemParts) {
    systemParts.push_back({offset + part.begin, offset + part.end});
  }
  return *this;
}

ShownText composeShownText(const char* format, std::initializer_list<const char*> systemTexts,
                           std::size_t capacity) {
  ShownText shown;
  shown.bytes = formatMessage(format, systemTexts, &shown.systemParts);
  if (capacity > 0 && shown.bytes.size() >= capacity) {
    shown.bytes.resize(capacity - 1);
    std::vector<TextSpan> kept;
    for (TextSpan part : shown.systemParts) {
      if (part.begin >= shown.bytes.size()) break;
      if (part.end > shown.bytes.size()) part.end = shown.bytes.size();
      kept.push_back(part);
    }
    shown.systemParts = kept;
  }
  return shown;
}

std::u16string decodeShownText(const ShownText& text, const MessageLanguage& language) {
  const std::string_view bytes = text.bytes;
  std::u16string wide;
  std::size_t at = 0;
  for (const TextSpan& part : text.systemParts) {
    appendDecoded(bytes.substr(at, part.begin - at), language.codePage, &wide);
    appendDecoded(bytes.substr(part.begin, part.end - part.begin), 0, &wide);
    at = part.end;
  }
  appendDecoded(bytes.substr(at), language.codePage, &wide);
  return wide;
}

int showBox(const ShownText& text, std::string_view caption, BoxKind kind,
            const MessageLanguage& language) {
  uint32_t style = platform::kMbOk;
  if (kind == BoxKind::kQuestion) style = platform::kMbYesNo | platform::kMbIconWarning;
  if (kind == BoxKind::kError) style |= platform::kMbIconError;
  if (language.rightToLeft) style |= platform::kMbRtlReading | platform::kMbRight;
  const std::u16string wideText = decodeShownText(text, language);
  const std::u16string wideCaption = decodeShownText(std::string(caption), language);
  return platform::messageBoxW(wideText.c_str(), wideCaption.c_str(), style);
}

void writeShownText(const ShownText& text, const MessageLanguage& language) {
  const platform::Handle output = platform::getStdHandle(platform::kStdOutputHandle);
  if (platform::isConsole(output)) {
    std::fflush(stdout);
    std::u16string lines;
    for (char16_t c : decodeShownText(text, language)) {
      if (c == u'\n') lines += u'\r';
      lines += c;
    }
    if (platform::writeConsoleW(output, lines.data(), static_cast<uint32_t>(lines.size()))) {
      return;
    }
  }
  std::fwrite(text.bytes.data(), 1, text.bytes.size(), stdout);
  std::fflush(stdout);
}

std::string logFileText(const ShownText& text, const MessageLanguage& language) {
  if (isSystemCodePage(language)) return text.bytes;
  return "\xEF\xBB\xBF" + utf16ToUtf8(decodeShownText(text, language));
}
