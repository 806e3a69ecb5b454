#include <direct.h>
#include <io.h>
#include <sys/stat.h>
#include <sys/types.h>

#include <cstdio>

#include "platform/platform.h"

namespace platform {

std::FILE* openFile(const char* path, const char* mode, FileKind) { return std::fopen(path, mode); }

PathKind pathKind(const char* path) {
  struct _stat status;
  if (_stat(path, &status) != 0) return PathKind::kMissing;
  switch (status.st_mode & _S_IFMT) {
    case _S_IFREG:
      return PathKind::kRegularFile;
    case _S_IFDIR:
      return PathKind::kDirectory;
    default:
      return PathKind::kOther;
  }
}

bool pathAccess(const char* path, int mode) { return _access(path, mode) == 0; }

int makeDirectory(const char* path) { return _mkdir(path) == 0 ? 0 : -1; }

}  // namespace platform
