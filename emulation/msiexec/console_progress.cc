#include "emulation/msiexec/console_progress.h"

#include <cstdio>
#include <string>

#include "emulation/machine/code_page.h"

namespace msiexec {

void ConsoleProgress::say(std::string_view text) const {
  if (!shown_) return;
  const std::string ansi = emulated::utf8ToAnsi(text);
  std::fprintf(stdout, "%s\n", ansi.c_str());
  std::fflush(stdout);
}

void ConsoleProgress::step(std::size_t done, std::size_t total, std::string_view action) const {
  if (!shown_) return;
  const unsigned percent = total == 0 ? 100u : static_cast<unsigned>(done * 100 / total);
  const std::string ansi = emulated::utf8ToAnsi(action);
  std::fprintf(stdout, "[%3u%%] %s\n", percent, ansi.c_str());
  std::fflush(stdout);
}

}  // namespace msiexec
