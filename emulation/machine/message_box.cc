// Message boxes, drawn on standard error. A Yes/No box takes its answer from
// KV7_MSGBOX_ANSWERS (comma-separated yes/no, used in order), else from the
// terminal when standard input is one, else No. The texts are drawn as
// UTF-8; the icon and the reading order are not drawn, and are kept for the
// tests of the same process (message_box.h).
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <mutex>
#include <string>
#include <vector>

#include "base/ascii.h"
#include "emulation/machine/code_page.h"
#include "emulation/machine/message_box.h"
#include "platform/platform.h"

namespace platform {
namespace {

constexpr uint32_t kButtonsMask = 0xF;

struct ScriptedAnswers {
  std::mutex mutex;
  bool read = false;
  std::vector<std::string> answers;
  std::size_t next = 0;
};

ScriptedAnswers& scripted() {
  static ScriptedAnswers* answers = new ScriptedAnswers;
  return *answers;
}

// The next scripted answer, or empty when none is left.
std::string nextScriptedAnswer() {
  ScriptedAnswers& s = scripted();
  std::lock_guard<std::mutex> lock(s.mutex);
  if (!s.read) {
    s.read = true;
    const char* list = std::getenv("KV7_MSGBOX_ANSWERS");
    std::string item;
    for (const char* c = list ? list : "";; ++c) {
      if (*c == ',' || *c == '\0') {
        std::size_t b = item.find_first_not_of(" \t");
        std::size_t e = item.find_last_not_of(" \t");
        s.answers.push_back(b == std::string::npos ? "" : item.substr(b, e - b + 1));
        item.clear();
        if (*c == '\0') break;
      } else {
        item += *c;
      }
    }
    if (s.answers.size() == 1 && s.answers[0].empty()) s.answers.clear();
  }
  return s.next < s.answers.size() ? s.answers[s.next++] : std::string();
}

bool meansYes(const std::string& answer) {
  return ascii::equalsNoCase(answer, "yes") || ascii::equalsNoCase(answer, "y");
}

int askYesNo() {
  const std::string scriptedAnswer = nextScriptedAnswer();
  if (!scriptedAnswer.empty()) {
    const bool yes = meansYes(scriptedAnswer);
    if (!yes && !ascii::equalsNoCase(scriptedAnswer, "no") &&
        !ascii::equalsNoCase(scriptedAnswer, "n")) {
      std::fprintf(stderr, "(KV7_MSGBOX_ANSWERS: \"%s\" is neither yes nor no: No)\n",
                   scriptedAnswer.c_str());
    }
    std::fprintf(stderr, "-> %s (KV7_MSGBOX_ANSWERS)\n", yes ? "Yes" : "No");
    return yes ? kIdYes : kIdNo;
  }
  if (::isatty(STDIN_FILENO)) {
    std::fprintf(stderr, "Yes or No? ");
    char line[64];
    const bool yes =
        std::fgets(line, sizeof line, stdin) != nullptr && ascii::toLower(line[0]) == 'y';
    std::fprintf(stderr, "-> %s\n", yes ? "Yes" : "No");
    return yes ? kIdYes : kIdNo;
  }
  std::fprintf(stderr, "-> No (no answer given)\n");
  return kIdNo;
}

struct ShownBoxes {
  std::mutex mutex;
  std::vector<emulated::ShownBox> boxes;
};

ShownBoxes& shown() {
  static ShownBoxes* boxes = new ShownBoxes;
  return *boxes;
}

}  // namespace

int messageBoxW(const char16_t* text, const char16_t* caption, uint32_t style) {
  const bool yesNo = (style & kButtonsMask) == kMbYesNo;
  const std::string title = caption != nullptr ? emulated::utf16ToUtf8(caption) : "Error";
  const std::string body = text != nullptr ? emulated::utf16ToUtf8(text) : "";
  {
    ShownBoxes& s = shown();
    std::lock_guard<std::mutex> lock(s.mutex);
    s.boxes.push_back({title, body, style});
  }
  std::string box = "+--- " + title + " ---\n";
  std::size_t start = 0;
  while (start <= body.size()) {
    std::size_t end = body.find('\n', start);
    if (end == std::string::npos) end = body.size();
    box += "| " + body.substr(start, end - start) + "\n";
    start = end + 1;
  }
  box += yesNo ? "+--- [Yes] [No]\n" : "+--- [OK]\n";
  std::fputs(box.c_str(), stderr);
  std::fflush(stderr);
  return yesNo ? askYesNo() : kIdOk;
}

}  // namespace platform

namespace emulated {

std::vector<ShownBox> shownBoxes() {
  platform::ShownBoxes& s = platform::shown();
  std::lock_guard<std::mutex> lock(s.mutex);
  return s.boxes;
}

void forgetShownBoxes() {
  platform::ShownBoxes& s = platform::shown();
  std::lock_guard<std::mutex> lock(s.mutex);
  s.boxes.clear();
}

}  // namespace emulated
