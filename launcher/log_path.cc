#include "launcher/log_path.h"

#include <cstdio>
#include <cstring>

#include "launcher/path_utils.h"
#include "platform/platform.h"

int myDocumentsFolder(char* out, std::size_t capacity) {
  if (out == nullptr || capacity < kPathCapacity) return -1;
  char folder[kPathCapacity] = {};
  if (platform::documentsFolder(folder, kPathCapacity) != 0) return -1;
  folder[kPathCapacity - 1] = '\0';
  std::strcpy(out, folder);
  return 0;
}

std::string logTimeStamp(const std::tm& localTime) {
  static const char* const kWeekdays[] = {"Sun", "Mon", "Tue", "Wed", "Thu", "Fri", "Sat"};
  static const char* const kMonths[] = {"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                                        "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};
  const char* weekday =
      localTime.tm_wday >= 0 && localTime.tm_wday < 7 ? kWeekdays[localTime.tm_wday] : "???";
  const char* month =
      localTime.tm_mon >= 0 && localTime.tm_mon < 12 ? kMonths[localTime.tm_mon] : "???";
  char text[64];
  std::snprintf(text, sizeof text, "%s %s %02d %02d_%02d_%02d %d", weekday, month,
                localTime.tm_mday, localTime.tm_hour, localTime.tm_min, localTime.tm_sec,
                localTime.tm_year + 1900);
  return text;
}

int defaultLogPath(PathText& out, const char* base) {
  char folder[kPathCapacity] = {};
  if (myDocumentsFolder(folder, sizeof folder) != 0) return 0;
  char shortFolder[kPathCapacity] = {};
  uint32_t length = platform::getShortPathName(folder, shortFolder, kPathCapacity);
  if (length == 0 || length >= kPathCapacity) return 0;

  std::string path(shortFolder, length);
  if (path.back() != '\\') path += '\\';
  path += "KV7LOG\\KV7-";
  path += base != nullptr ? base : "";
  path += '-';
  std::time_t now = std::time(nullptr);
  const std::tm* local = std::localtime(&now);
  if (local == nullptr) return 0;
  path += logTimeStamp(*local);
  path += ".log";
  return out.assign(path) ? 1 : 0;
}
