#include "emulation/msiexec/rollback_journal.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "emulation/machine/host_files.h"
#include "emulation/machine/host_listings.h"
#include "emulation/machine/machine.h"

namespace msiexec {
namespace {

// Beside an installed file: its new content while it is written, and the
// file it replaces until the installation is committed.
constexpr const char* kPartialSuffix = ".kv7-partial";
constexpr const char* kAsideSuffix = ".kv7-rollback";
// Beside the registry file: its new text until the commit renames it.
constexpr const char* kCommitSuffix = ".kv7-commit";
// A journal lists a few steps a file; this is far beyond any.
constexpr std::uint64_t kMaxJournalBytes = 64 * emulated::kMiB;

const char* stepName(RollbackJournal::Step step) {
  switch (step) {
    case RollbackJournal::Step::kDirectory:
      return "directory";
    case RollbackJournal::Step::kNewFile:
      return "new";
    case RollbackJournal::Step::kReplacedFile:
      return "replaced";
    default:
      return "commit";
  }
}

// Paths in the journal: a tab, a line end and % written as %09, %0A, %0D
// and %25, so that every step stays one line.
std::string escaped(const std::string& path) {
  std::string out;
  for (char c : path) {
    if (c == '%' || c == '\t' || c == '\n' || c == '\r') {
      static constexpr char kDigits[] = "0123456789ABCDEF";
      out += '%';
      out += kDigits[static_cast<unsigned char>(c) >> 4];
      out += kDigits[static_cast<unsigned char>(c) & 0xF];
    } else {
      out += c;
    }
  }
  return out;
}

int hexDigit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

std::string unescaped(const std::string& text) {
  std::string out;
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (text[i] == '%' && i + 2 < text.size() && hexDigit(text[i + 1]) >= 0 &&
        hexDigit(text[i + 2]) >= 0) {
      out += static_cast<char>(hexDigit(text[i + 1]) * 16 + hexDigit(text[i + 2]));
      i += 2;
    } else {
      out += text[i];
    }
  }
  return out;
}

bool exists(const std::string& path) {
  struct stat st;
  return ::lstat(path.c_str(), &st) == 0;
}

std::string failure(const std::string& what, const std::string& path) {
  return what + " " + path + ": " + std::strerror(errno);
}

// Writes content to a new file at path and flushes it to the disk.
bool writeDurably(const std::string& path, const std::string& content, std::string* error) {
  const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
  if (fd < 0) {
    *error = failure("cannot create", path);
    return false;
  }
  std::size_t done = 0;
  bool ok = true;
  while (ok && done < content.size()) {
    const ssize_t n = ::write(fd, content.data() + done, content.size() - done);
    if (n < 0 && errno == EINTR) continue;
    ok = n > 0;
    if (ok) done += static_cast<std::size_t>(n);
  }
  ok = ok && ::fsync(fd) == 0;
  if (!ok) *error = failure("cannot write", path);
  if (::close(fd) != 0 && ok) {
    *error = failure("cannot write", path);
    ok = false;
  }
  if (!ok) ::unlink(path.c_str());
  return ok;
}

bool parseJournal(const std::string& text, std::vector<RollbackJournal::Entry>* entries) {
  std::size_t start = 0;
  // A last line without its line end was being written when the installer
  // stopped: its step was never taken.
  for (std::size_t end; (end = text.find('\n', start)) != std::string::npos; start = end + 1) {
    const std::string line = text.substr(start, end - start);
    const std::size_t tab = line.find('\t');
    if (tab == std::string::npos) return false;
    const std::string name = line.substr(0, tab);
    const std::size_t second = line.find('\t', tab + 1);
    RollbackJournal::Entry entry{RollbackJournal::Step::kDirectory,
                                 unescaped(line.substr(tab + 1, second - tab - 1)), ""};
    if (second != std::string::npos) entry.aside = unescaped(line.substr(second + 1));
    if (name == "directory") {
      entry.step = RollbackJournal::Step::kDirectory;
    } else if (name == "new") {
      entry.step = RollbackJournal::Step::kNewFile;
    } else if (name == "replaced") {
      entry.step = RollbackJournal::Step::kReplacedFile;
    } else if (name == "commit") {
      entry.step = RollbackJournal::Step::kCommit;
    } else {
      return false;
    }
    entries->push_back(entry);
  }
  return true;
}

// Undoes the steps, newest first. A step that never happened or was already
// undone is no failure.
bool undo(const std::vector<RollbackJournal::Entry>& entries, std::vector<std::string>* done) {
  bool ok = true;
  for (auto it = entries.rbegin(); it != entries.rend(); ++it) {
    switch (it->step) {
      case RollbackJournal::Step::kCommit:
        ::unlink(it->aside.c_str());
        break;
      case RollbackJournal::Step::kNewFile:
        ::unlink((it->path + kPartialSuffix).c_str());
        if (::unlink(it->path.c_str()) == 0) {
          done->push_back("Rollback: removed " + it->path);
        } else if (errno != ENOENT) {
          done->push_back("Rollback: " + failure("cannot remove", it->path));
          ok = false;
        }
        break;
      case RollbackJournal::Step::kReplacedFile:
        ::unlink((it->path + kPartialSuffix).c_str());
        if (!exists(it->aside)) break;  // never moved aside: the file is as it was
        if (::rename(it->aside.c_str(), it->path.c_str()) == 0) {
          done->push_back("Rollback: restored " + it->path);
        } else {
          done->push_back("Rollback: " + failure("cannot restore", it->path));
          ok = false;
        }
        break;
      case RollbackJournal::Step::kDirectory:
        // A directory that holds something else by now stays.
        if (::rmdir(it->path.c_str()) == 0) done->push_back("Rollback: removed " + it->path);
        break;
    }
  }
  return ok;
}

bool removeAside(const std::vector<RollbackJournal::Entry>& entries, std::string* error) {
  bool ok = true;
  for (const RollbackJournal::Entry& entry : entries) {
    if (entry.step != RollbackJournal::Step::kReplacedFile) continue;
    if (::unlink(entry.aside.c_str()) != 0 && errno != ENOENT) {
      if (error) *error = failure("cannot remove", entry.aside);
      ok = false;
    }
  }
  return ok;
}

}  // namespace

RollbackJournal::~RollbackJournal() {
  if (fd_ >= 0) ::close(fd_);
}

bool RollbackJournal::record(const Entry& entry, std::string* error) {
  if (fd_ < 0) {
    fd_ = ::open(file_.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_APPEND | O_CLOEXEC, 0644);
    if (fd_ < 0) {
      *error = failure("cannot create the rollback journal", file_);
      return false;
    }
  }
  std::string line = std::string(stepName(entry.step)) + "\t" + escaped(entry.path);
  if (!entry.aside.empty()) line += "\t" + escaped(entry.aside);
  line += "\n";
  const ssize_t n = ::write(fd_, line.data(), line.size());
  if (n != static_cast<ssize_t>(line.size()) || ::fsync(fd_) != 0) {
    if (n >= 0 && n != static_cast<ssize_t>(line.size())) errno = ENOSPC;
    *error = failure("cannot write the rollback journal", file_);
    // What was written of the line ends without its line end, and a later
    // line must not complete it.
    if (n > 0) ::ftruncate(fd_, ::lseek(fd_, 0, SEEK_END) - n);
    return false;
  }
  entries_.push_back(entry);
  return true;
}

bool RollbackJournal::makeDirectories(const std::string& hostDir, std::string* error) {
  // The paths this program resolves afterwards must see what changed.
  const emulated::ForgetListingsAfter changesFiles;
  std::vector<std::string> missing;
  std::string dir = hostDir;
  while (!dir.empty() && !exists(dir)) {
    missing.push_back(dir);
    const std::size_t slash = dir.find_last_of('/');
    if (slash == std::string::npos || slash == 0) break;
    dir.resize(slash);
  }
  for (auto it = missing.rbegin(); it != missing.rend(); ++it) {
    if (!record({Step::kDirectory, *it, ""}, error)) return false;
    if (::mkdir(it->c_str(), 0777) != 0 && errno != EEXIST) {
      *error = failure("cannot create the directory", *it);
      return false;
    }
  }
  struct stat st;
  if (::stat(hostDir.c_str(), &st) != 0 || !S_ISDIR(st.st_mode)) {
    *error = hostDir + ": not a directory";
    return false;
  }
  return true;
}

bool RollbackJournal::writeFile(const std::string& hostPath, const std::string& content,
                                std::string* error) {
  // The paths this program resolves afterwards must see what changed.
  const emulated::ForgetListingsAfter changesFiles;
  std::string target;
  if (!emulated::followHostLinks(hostPath, &target, error)) return false;
  const std::string partial = target + kPartialSuffix;
  if (exists(target)) {
    const std::string aside = target + kAsideSuffix;
    if (!record({Step::kReplacedFile, target, aside}, error)) return false;
    if (::rename(target.c_str(), aside.c_str()) != 0) {
      *error = failure("cannot move aside", target);
      return false;
    }
  } else if (!record({Step::kNewFile, target, ""}, error)) {
    return false;
  }
  if (!writeDurably(partial, content, error)) return false;
  if (::rename(partial.c_str(), target.c_str()) != 0) {
    *error = failure("cannot write", target);
    return false;
  }
  return true;
}

bool RollbackJournal::commitRegistry(const std::string& registryFile, const std::string& text,
                                     std::string* error) {
  // The paths this program resolves afterwards must see what changed.
  const emulated::ForgetListingsAfter changesFiles;
  std::string target;
  if (!emulated::followHostLinks(registryFile, &target, error)) return false;
  const std::string next = target + kCommitSuffix;
  if (!writeDurably(next, text, error)) return false;
  if (!record({Step::kCommit, target, next}, error)) {
    ::unlink(next.c_str());
    return false;
  }
  // The commit: from here on the installation is done.
  if (::rename(next.c_str(), target.c_str()) != 0) {
    *error = failure("cannot replace", target);
    return false;
  }
  return true;
}

bool RollbackJournal::finish(std::string* error) {
  const bool ok = removeAside(entries_, error);
  if (fd_ >= 0) ::close(fd_);
  fd_ = -1;
  if (ok && ::unlink(file_.c_str()) != 0 && errno != ENOENT) {
    if (error) *error = failure("cannot remove", file_);
    return false;
  }
  entries_.clear();
  return ok;
}

bool RollbackJournal::rollBack(std::vector<std::string>* done) {
  // The paths this program resolves afterwards must see what changed.
  const emulated::ForgetListingsAfter changesFiles;
  if (fd_ < 0 && entries_.empty()) return true;
  if (fd_ >= 0) ::close(fd_);
  fd_ = -1;
  if (!undo(entries_, done)) return false;
  entries_.clear();
  ::unlink(file_.c_str());
  return true;
}

bool RollbackJournal::recover(const std::string& journalFile, std::vector<std::string>* done,
                              std::string* error) {
  // The paths this program resolves afterwards must see what changed.
  const emulated::ForgetListingsAfter changesFiles;
  std::string text;
  std::string readError;
  if (!emulated::readHostFile(journalFile, &text, &readError, kMaxJournalBytes)) {
    if (readError.empty()) return true;  // no installation was stopped
    *error = journalFile + ": " + readError;
    return false;
  }
  std::vector<Entry> entries;
  if (!parseJournal(text, &entries)) {
    *error = journalFile + ": not a rollback journal";
    return false;
  }
  // The commit's rename is the one step that makes the installation done.
  const bool committed =
      !entries.empty() && entries.back().step == Step::kCommit && !exists(entries.back().aside);
  if (committed) {
    if (!removeAside(entries, error)) return false;
    done->push_back("An installation stopped after its commit: its changes stay");
  } else {
    done->push_back("Rolling back an installation that was stopped before its commit");
    if (!undo(entries, done)) {
      *error = "the installation stopped earlier cannot be rolled back";
      return false;
    }
  }
  if (::unlink(journalFile.c_str()) != 0 && errno != ENOENT) {
    *error = failure("cannot remove", journalFile);
    return false;
  }
  return true;
}

std::string rollbackJournalFile() {
  return emulated::machineDirectory() + "/msiexec-rollback.journal";
}

}  // namespace msiexec
