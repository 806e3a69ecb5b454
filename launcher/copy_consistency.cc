#include "launcher/copy_consistency.h"

#include "base/fixed_text.h"
#include "installed/install_copy.h"
#include "installed/install_copy_list.h"
#include "launcher/path_utils.h"

CopyMatch matchInstalledCopy(const char* installedName, const char* installedPath,
                             const char* installPath, const char* copyName) {
  if (compareNoCase(installedPath, installPath) == 0) {
    return compareNoCase(installedName, copyName) == 0 ? CopyMatch::kSameCopy
                                                       : CopyMatch::kConflict;
  }
  return compareNoCase(installedName, copyName) == 0 ? CopyMatch::kConflict : CopyMatch::kUnrelated;
}

bool copyNameAndPathAgree(const char* installPath, const char* copyName) {
  InstallCopyList copies(false);
  const uint32_t count = copies.count();
  InstallCopy* copy = copies.First();
  for (uint32_t i = 0; i < count && copy != nullptr; ++i, copy = copies.Next()) {
    char name[kCopyNameCapacity] = {};
    char path[kPathCapacity] = {};
    copy->GetName(name, sizeof name);
    copy->GetPath(path, sizeof path);
    switch (matchInstalledCopy(name, path, installPath, copyName)) {
      case CopyMatch::kSameCopy:
        return true;
      case CopyMatch::kConflict:
        return false;
      case CopyMatch::kUnrelated:
        break;
    }
  }
  return true;
}
