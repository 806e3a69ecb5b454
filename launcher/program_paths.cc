#include "launcher/program_paths.h"

#include "launcher/language_table.h"
#include "launcher/path_utils.h"
#include "platform/platform.h"

uint32_t programDirectory(PathText& imageDir) {
  char name[kPathCapacity] = {};
  uint32_t length = platform::getModuleFileName(name, kPathCapacity);
  if (length == 0) return platform::getLastError();
  name[kPathCapacity - 1] = '\0';
  std::string_view path(name);
  std::size_t slash = path.rfind('\\');
  imageDir.clear();
  if (slash != std::string_view::npos) imageDir.assign(path.substr(0, slash + 1));
  return 0;
}

void chooseMessageDir(const PathText& imageDir, bool languageGiven, const char* languageCode,
                      PathText& messageDir) {
  char locale[kLanguageFieldCapacity] = {};
  bool found = languageGiven ? localeDirForCode(languageCode, locale, sizeof locale) == 0
                             : systemLanguageField(kLanguageFieldLocaleDir, locale, sizeof locale);
  PathText dir;
  if (!dir.assign(imageDir.view()) || !dir.append("\\launchmsg\\") ||
      !dir.append(found ? locale : "en_US")) {
    // An image directory this deep leaves no room for the message
    // directory; the lookups then find no file and give empty texts.
    messageDir.clear();
    return;
  }
  messageDir = dir;
}
