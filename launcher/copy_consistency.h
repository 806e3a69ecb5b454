#pragma once

// Whether /n and /p together agree with the copies already installed: a
// copy installed at the given path must carry the given name, and a copy of
// the given name must live at the given path. Paths are compared exactly,
// letter case aside: an installed path is kept without a trailing backslash,
// so a /p value with one does not name that copy's path.

enum class CopyMatch {
  kSameCopy,   // this copy has both the path and the name
  kConflict,   // it has one of them but not the other
  kUnrelated,  // it has neither
};

CopyMatch matchInstalledCopy(const char* installedName, const char* installedPath,
                             const char* installPath, const char* copyName);

// Walks the installed copies (64-bit registry view) in list order; the first
// copy that is not unrelated decides. True when no copy conflicts.
bool copyNameAndPathAgree(const char* installPath, const char* copyName);
