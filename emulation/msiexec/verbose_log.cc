#include "emulation/msiexec/verbose_log.h"

#include <chrono>
#include <ctime>

#include "emulation/machine/code_page.h"
#include "platform/platform.h"

namespace msiexec {
namespace {

struct Now {
  std::tm local{};
  int milliseconds = 0;
};

Now now() {
  const auto point = std::chrono::system_clock::now();
  const std::time_t seconds = std::chrono::system_clock::to_time_t(point);
  Now result;
  localtime_r(&seconds, &result.local);
  result.milliseconds = static_cast<int>(
      std::chrono::duration_cast<std::chrono::milliseconds>(point.time_since_epoch()).count() %
      1000);
  return result;
}

std::string clock(const Now& t, bool withMilliseconds) {
  char text[32];
  if (withMilliseconds) {
    std::snprintf(text, sizeof text, "%02d:%02d:%02d:%03d", t.local.tm_hour, t.local.tm_min,
                  t.local.tm_sec, t.milliseconds);
  } else {
    std::snprintf(text, sizeof text, "%d:%02d:%02d", t.local.tm_hour, t.local.tm_min,
                  t.local.tm_sec);
  }
  return text;
}

std::string dateAndTime(const Now& t) {
  char text[48];
  std::snprintf(text, sizeof text, "%d/%d/%d  %s", t.local.tm_mon + 1, t.local.tm_mday,
                t.local.tm_year + 1900, clock(t, false).c_str());
  return text;
}

}  // namespace

VerboseLog::~VerboseLog() {
  if (file_ != nullptr) std::fclose(file_);
}

bool VerboseLog::open(const std::string& windowsPath, bool append,
                      std::string_view callingProcess) {
  file_ = platform::openFile(emulated::utf8ToAnsi(windowsPath).c_str(), append ? "a" : "w");
  if (file_ == nullptr) return false;
  writeLine("=== Verbose logging started: " + dateAndTime(now()) +
            "  Build type: emulated machine  Calling process: " + std::string(callingProcess) +
            " ===");
  return !failed_;
}

void VerboseLog::message(std::string_view text) {
  writeLine("MSI (s) [" + clock(now(), true) + "]: " + std::string(text));
}

void VerboseLog::actionStart(std::string_view action) {
  writeLine("Action start " + clock(now(), false) + ": " + std::string(action) + ".");
}

void VerboseLog::actionEnd(std::string_view action, bool succeeded) {
  writeLine("Action ended " + clock(now(), false) + ": " + std::string(action) + ". Return value " +
            (succeeded ? "1" : "3") + ".");
}

void VerboseLog::properties(const PropertyTable& properties) {
  for (const auto& [name, value] : properties.all()) {
    writeLine("Property(S): " + name + " = " + value);
  }
}

bool VerboseLog::close() {
  if (file_ == nullptr) return !failed_;
  writeLine("=== Logging stopped: " + dateAndTime(now()) + " ===");
  if (std::fclose(file_) != 0) failed_ = true;
  file_ = nullptr;
  return !failed_;
}

void VerboseLog::writeLine(const std::string& line) {
  if (file_ == nullptr) return;
  const std::string text = emulated::utf8ToAnsi(line);
  if (std::fputs(text.c_str(), file_) < 0 || std::fputc('\n', file_) == EOF ||
      std::fflush(file_) != 0) {
    failed_ = true;
  }
}

}  // namespace msiexec
