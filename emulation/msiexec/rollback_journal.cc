#include "emulation/msiexec/rollback_journal.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <iterator>
#include <utility>

#include "base/ascii.h"
#include "base/split.h"
#include "emulation/machine/code_page.h"
#include "emulation/machine/host_files.h"
#include "emulation/machine/host_listings.h"
#include "emulation/machine/machine.h"

namespace msiexec {
namespace {

using Step = RollbackJournal::Step;
using Entry = RollbackJournal::Entry;

constexpr const char* kHeader = "KV7 emulated Windows Installer rollback journal 2";
// Beside an installed file: its new content while it is written, and the
// file it replaces or removes until the installation is finished.
constexpr const char* kPartialSuffix = ".kv7-partial";
constexpr const char* kAsideSuffix = ".kv7-rollback";
// Beside the registry file: its new text until the commit renames it.
constexpr const char* kCommitSuffix = ".kv7-commit";
// A journal lists a few steps a file; this is far beyond any.
constexpr std::uint64_t kMaxJournalBytes = 64 * emulated::kMiB;
// How much of a journal that is set aside is copied into the log.
constexpr std::size_t kLoggedLines = 50;
constexpr std::size_t kLoggedLineLength = 300;
// How many symbolic links a path may pass through, as the host allows.
constexpr int kMaxLinkHops = 40;

// The kill campaigns' stop points (kStopAtVariable).
enum class StopPoint { kFlush, kRemoval };

struct StopPlan {
  enum class Kind { kNone, kStop, kCount } kind = Kind::kNone;
  StopPoint point = StopPoint::kFlush;
  long at = 0;
};

long reachedPoints[2] = {0, 0};

const StopPlan& stopPlan() {
  static const StopPlan plan = [] {
    StopPlan p;
    const char* text = std::getenv(kStopAtVariable);
    const std::string value = text != nullptr ? text : "";
    const std::size_t colon = value.find(':');
    if (colon == std::string::npos) return p;
    const std::string kind = value.substr(0, colon);
    if (kind == "count") {
      p.kind = StopPlan::Kind::kCount;
      // Read again at exit: the plan itself may be gone by then.
      std::atexit([] {
        const std::string value = std::getenv(kStopAtVariable);
        const std::string counts =
            std::to_string(reachedPoints[0]) + " " + std::to_string(reachedPoints[1]) + "\n";
        emulated::writeHostFileAtomically(value.substr(value.find(':') + 1), counts, nullptr);
      });
      return p;
    }
    p.at = std::atol(value.c_str() + colon + 1);
    p.point = kind == "removal" ? StopPoint::kRemoval : StopPoint::kFlush;
    if ((kind == "flush" || kind == "removal") && p.at > 0) p.kind = StopPlan::Kind::kStop;
    return p;
  }();
  return plan;
}

void reach(StopPoint point) {
  const StopPlan& plan = stopPlan();
  if (plan.kind == StopPlan::Kind::kNone) return;
  const long reached = ++reachedPoints[static_cast<int>(point)];
  if (plan.kind == StopPlan::Kind::kStop && point == plan.point && reached == plan.at) {
    ::kill(::getpid(), SIGKILL);
  }
}

int flush(int fd) {
  reach(StopPoint::kFlush);
  return ::fsync(fd);
}

// Each step as its journal line names it.
constexpr std::pair<Step, const char*> kStepNames[] = {
    {Step::kDirectory, "directory"},   {Step::kNewFile, "new"},
    {Step::kReplacedFile, "replaced"}, {Step::kRemovedFile, "removed"},
    {Step::kRegistryText, "registry"}, {Step::kCommit, "commit"},
    {Step::kEmptiedFolder, "emptied"},
};

const char* stepName(Step step) {
  for (const auto& [named, name] : kStepNames) {
    if (named == step) return name;
  }
  return "";
}

bool hasPath(Step step) { return step != Step::kRegistryText && step != Step::kCommit; }

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

// A path of the machine's own drives, "X:\name\name...", split into its
// drive letter (upper case) and names; false for anything else (another
// form, drive Z:, the host's, or a "." or ".." name that would move out of
// the path as written).
bool splitMachinePath(const std::string& path, char* drive, std::vector<std::string>* names) {
  if (path.size() < 3 || !ascii::isAlpha(path[0]) || path[1] != ':' ||
      (path[2] != '\\' && path[2] != '/')) {
    return false;
  }
  *drive = ascii::toUpper(path[0]);
  if (*drive == 'Z') return false;
  names->clear();
  for (const std::string_view name : splitAt(std::string_view(path).substr(3), "\\/")) {
    if (name.empty()) continue;
    if (name == "." || name == "..") return false;
    names->emplace_back(name);
  }
  return true;
}

std::string joinMachinePath(char drive, const std::vector<std::string>& names, std::size_t count) {
  std::string path = std::string(1, drive) + ":";
  if (count == 0) return path + "\\";
  for (std::size_t i = 0; i < count; ++i) path += "\\" + names[i];
  return path;
}

bool exists(const std::string& path) {
  struct stat st;
  return ::lstat(path.c_str(), &st) == 0;
}

std::string parentOf(const std::string& hostPath) {
  const std::size_t slash = hostPath.find_last_of('/');
  return slash == std::string::npos || slash == 0 ? "/" : hostPath.substr(0, slash);
}

std::string realPath(const std::string& path) {
  char* real = ::realpath(path.c_str(), nullptr);
  if (real == nullptr) return "";
  std::string result = real;
  std::free(real);
  return result;
}

// The file a path leads to through symbolic links, also when that file is
// not there (a file moved aside, or one being written): the last name of
// the chain. Empty for a chain that loops or cannot be read.
std::string linkTarget(const std::string& path) {
  std::string current = path;
  for (int hops = 0; hops <= kMaxLinkHops; ++hops) {
    struct stat st;
    if (::lstat(current.c_str(), &st) != 0 || !S_ISLNK(st.st_mode)) return current;
    std::string link(static_cast<std::size_t>(st.st_size > 0 ? st.st_size : 4095) + 1, '\0');
    const ssize_t n = ::readlink(current.c_str(), link.data(), link.size());
    if (n < 0 || static_cast<std::size_t>(n) >= link.size()) return "";
    link.resize(static_cast<std::size_t>(n));
    current = link.front() == '/' ? link : parentOf(current) + "/" + link;
  }
  return "";
}

// True when the folder that holds hostPath (or its nearest existing
// ancestor) lies, with every symbolic link on the way followed, inside the
// host directory of the machine's drive.
bool onMachineDrive(char drive, const std::string& hostPath) {
  const std::string driveDir =
      emulated::machineDirectory() + "/drive_" + static_cast<char>(ascii::toLower(drive));
  if (hostPath == driveDir) return true;
  const std::string root = realPath(driveDir);
  if (root.empty()) return false;
  std::string dir = parentOf(hostPath);
  while (dir != "/" && !exists(dir)) dir = parentOf(dir);
  const std::string real = realPath(dir);
  return !real.empty() && (real == root || real.rfind(root + "/", 0) == 0);
}

enum class Links { kKept, kFollowed };

// The host path that a Windows path of the journal names on this machine:
// resolved through the machine's namespace, then, for files written through
// links, along their symbolic links. False, with the reason, for a path that
// is not on one of the machine's drives or leads off it.
bool locate(const std::string& windowsPath, Links links, std::string* host, std::string* error) {
  char drive = 0;
  std::vector<std::string> names;
  if (!splitMachinePath(windowsPath, &drive, &names)) {
    if (error) *error = windowsPath + " is not a path on one of this machine's drives";
    return false;
  }
  std::string path = emulated::toHostPath(emulated::utf8ToAnsi(windowsPath));
  while (path.size() > 1 && path.back() == '/') path.pop_back();
  if (!path.empty() && links == Links::kFollowed) path = linkTarget(path);
  if (path.empty() || !onMachineDrive(drive, path)) {
    if (error) *error = windowsPath + " leads off this machine's drive " + drive + ":";
    return false;
  }
  *host = path;
  return true;
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
  ok = ok && flush(fd) == 0;
  if (!ok) *error = failure("cannot write", path);
  if (::close(fd) != 0 && ok) {
    *error = failure("cannot write", path);
    ok = false;
  }
  if (!ok) ::unlink(path.c_str());
  return ok;
}

// The removals of a rollback, a recovery and a finish. Each is a stop point
// of the kill campaigns when there is something to remove; a name already
// gone is removed (ENOENT is no failure).
bool removeName(const std::string& path) {
  if (!exists(path)) return true;
  reach(StopPoint::kRemoval);
  return ::unlink(path.c_str()) == 0 || errno == ENOENT;
}

// True when the folder is gone; false, with errno, when it stays.
bool removeFolder(const std::string& path) {
  if (!exists(path)) return true;
  reach(StopPoint::kRemoval);
  return ::rmdir(path.c_str()) == 0;
}

// The registry file's new text beside it, where the commit takes it from.
std::string commitTextFile() {
  const std::string target = linkTarget(emulated::registryFilePath());
  return target.empty() ? "" : target + kCommitSuffix;
}

bool parseJournal(const std::string& text, std::vector<Entry>* entries, std::string* why) {
  const std::size_t headerEnd = text.find('\n');
  if (headerEnd == std::string::npos) {
    // Stopped while the first line was written: nothing was recorded.
    if (std::string(kHeader).rfind(text, 0) == 0) return true;
    *why = "its first line is not this installer's";
    return false;
  }
  if (text.compare(0, headerEnd, kHeader) != 0) {
    *why = "its first line is not this installer's";
    return false;
  }
  std::size_t start = headerEnd + 1;
  int number = 1;
  // A last line without its line end was being written when the installer
  // stopped: its step was never taken.
  for (std::size_t end; (end = text.find('\n', start)) != std::string::npos; start = end + 1) {
    ++number;
    const std::string line = text.substr(start, end - start);
    const std::size_t tab = line.find('\t');
    const std::string name = line.substr(0, tab);
    const auto named = std::find_if(std::begin(kStepNames), std::end(kStepNames),
                                    [&name](const auto& step) { return name == step.second; });
    const std::string where = "line " + std::to_string(number);
    if (named == std::end(kStepNames)) {
      *why = where + " is no step this installer takes";
      return false;
    }
    const Entry entry{named->first,
                      tab == std::string::npos ? "" : unescaped(line.substr(tab + 1))};
    char drive = 0;
    std::vector<std::string> names;
    if (hasPath(entry.step) && !splitMachinePath(entry.path, &drive, &names)) {
      *why = where + " names " + entry.path + ", which is not on one of this machine's drives";
      return false;
    }
    if (!hasPath(entry.step) && tab != std::string::npos) {
      *why = where + " names a path where its step takes none";
      return false;
    }
    entries->push_back(entry);
  }
  return true;
}

// Undoes the file steps, newest first. A step that never happened or was
// already undone is no failure; a path that now leads off the machine's
// drives is left alone.
bool undoFileSteps(const std::vector<Entry>& entries, std::vector<std::string>* done) {
  // The paths this program resolves afterwards must see what changed.
  const emulated::ForgetListingsAfter changesFiles;
  bool ok = true;
  for (auto it = entries.rbegin(); it != entries.rend(); ++it) {
    if (!hasPath(it->step)) continue;
    std::string host;
    std::string error;
    const Links links = it->step == Step::kNewFile || it->step == Step::kReplacedFile
                            ? Links::kFollowed
                            : Links::kKept;
    if (!locate(it->path, links, &host, &error)) {
      done->push_back("Rollback: " + error + "; left as it is");
      continue;
    }
    switch (it->step) {
      case Step::kNewFile:
        if (!removeName(host + kPartialSuffix)) {
          done->push_back("Rollback: " + failure("cannot remove", host + kPartialSuffix));
          ok = false;
        }
        if (!exists(host)) break;
        if (removeName(host)) {
          done->push_back("Rollback: removed " + it->path);
        } else {
          done->push_back("Rollback: " + failure("cannot remove", it->path));
          ok = false;
        }
        break;
      case Step::kReplacedFile:
      case Step::kRemovedFile: {
        if (!removeName(host + kPartialSuffix)) {
          done->push_back("Rollback: " + failure("cannot remove", host + kPartialSuffix));
          ok = false;
        }
        const std::string aside = host + kAsideSuffix;
        if (!exists(aside)) break;  // never moved aside, or put back already
        reach(StopPoint::kRemoval);
        if (::rename(aside.c_str(), host.c_str()) == 0) {
          done->push_back("Rollback: restored " + it->path);
        } else {
          done->push_back("Rollback: " + failure("cannot restore", it->path));
          ok = false;
        }
        break;
      }
      case Step::kEmptiedFolder:
        break;  // a folder a removal only named; nothing was done to it
      default:
        // A folder that holds something else by now stays.
        if (exists(host) && removeFolder(host)) done->push_back("Rollback: removed " + it->path);
        break;
    }
    emulated::forgetHostListings();
  }
  return ok;
}

// The registry's new text of an installation that did not commit: removed
// last, once nothing else of that installation is left, because while it is
// there it tells that the installation did not commit.
bool removeCommitText(std::vector<std::string>* done, std::string* error) {
  const std::string text = commitTextFile();
  if (text.empty() || !exists(text)) return true;
  if (!removeName(text)) {
    if (error) *error = failure("cannot remove", text);
    return false;
  }
  done->push_back("Removed " + text + ", the registry text of an installation that did not commit");
  return true;
}

// After a commit: the files kept aside are deleted.
bool removeAside(const std::vector<Entry>& entries, std::string* error) {
  bool ok = true;
  for (const Entry& entry : entries) {
    if (entry.step != Step::kReplacedFile && entry.step != Step::kRemovedFile) continue;
    std::string host;
    if (!locate(entry.path, entry.step == Step::kReplacedFile ? Links::kFollowed : Links::kKept,
                &host, nullptr)) {
      continue;
    }
    if (!removeName(host + kAsideSuffix)) {
      if (error) *error = failure("cannot remove", host + kAsideSuffix);
      ok = false;
    }
  }
  return ok;
}

// After a commit: the folders a removal named go when they are empty (a
// folder that holds something stays; that is no failure).
void removeEmptiedFolders(const std::vector<Entry>& entries) {
  for (const Entry& entry : entries) {
    if (entry.step != Step::kEmptiedFolder) continue;
    std::string host;
    struct stat st;
    if (!locate(entry.path, Links::kKept, &host, nullptr) || ::lstat(host.c_str(), &st) != 0 ||
        !S_ISDIR(st.st_mode)) {
      continue;
    }
    removeFolder(host);
  }
}

// The end of an installation that committed, in its run or in a recovery:
// what was kept aside goes, then the folders left empty, then the journal.
bool finishCommitted(const std::vector<Entry>& entries, const std::string& journalFile,
                     std::string* error) {
  if (!removeAside(entries, error)) return false;
  removeEmptiedFolders(entries);
  if (!removeName(journalFile)) {
    if (error) *error = failure("cannot remove", journalFile);
    return false;
  }
  return true;
}

// The undo of an installation that did not commit, in its run or in a
// recovery: its steps newest first, then the journal and, last, the
// registry text. False when something stays; *error then says what, unless
// the lines of the steps that could not be undone, in *log, do.
bool undoUncommitted(const std::vector<Entry>& entries, const std::string& journalFile,
                     std::vector<std::string>* log, std::string* error) {
  if (!undoFileSteps(entries, log)) return false;
  if (!removeName(journalFile)) {
    *error = failure("cannot remove", journalFile);
    return false;
  }
  return removeCommitText(log, error);
}

// A journal line as the log shows it: control characters as "?", cut to a
// length a log line can take.
std::string loggable(std::string line) {
  for (char& c : line) {
    if (static_cast<unsigned char>(c) < 0x20) c = '?';
  }
  if (line.size() > kLoggedLineLength) line = line.substr(0, kLoggedLineLength) + "...";
  return line;
}

// Renames an unreadable journal to the first free <journal>.unreadable-<n>,
// after its lines are copied into the log.
RollbackJournal::Recovery setAside(const std::string& journalFile, const std::string& why,
                                   const std::string* text) {
  RollbackJournal::Recovery r;
  std::string aside;
  for (int n = 1; n < 10000 && aside.empty(); ++n) {
    const std::string candidate = journalFile + ".unreadable-" + std::to_string(n);
    if (!exists(candidate)) aside = candidate;
  }
  r.log.push_back("The rollback journal " + journalFile +
                  " cannot be read as this installer's own: " + why);
  if (text != nullptr) {
    std::size_t start = 0;
    std::size_t lines = 0;
    while (start < text->size()) {
      std::size_t end = text->find('\n', start);
      if (end == std::string::npos) end = text->size();
      if (lines < kLoggedLines) {
        r.log.push_back("  it held: " + loggable(text->substr(start, end - start)));
      }
      ++lines;
      start = end + 1;
    }
    if (lines > kLoggedLines) {
      r.log.push_back("  and " + std::to_string(lines - kLoggedLines) + " more lines");
    }
    if (lines == 0) r.log.push_back("  it was empty");
  }
  reach(StopPoint::kRemoval);
  if (aside.empty() || ::rename(journalFile.c_str(), aside.c_str()) != 0) {
    r.outcome = RollbackJournal::Outcome::kFailed;
    r.error = "the rollback journal " + journalFile + " cannot be read as this installer's own (" +
              why + ") and cannot be set aside" +
              (aside.empty() ? std::string() : ": " + std::string(std::strerror(errno))) +
              "; move it away, then install again";
    return r;
  }
  r.outcome = RollbackJournal::Outcome::kSetAside;
  r.log.push_back("Nothing it names was changed; it is kept as " + aside);
  r.error = "the rollback journal " + journalFile + " cannot be read as this installer's own (" +
            why + "); it is kept as " + aside + " and nothing it names was changed";
  return r;
}

}  // namespace

RollbackJournal::~RollbackJournal() {
  if (fd_ >= 0) ::close(fd_);
}

bool RollbackJournal::record(const Entry& entry, std::string* error) {
  std::string line;
  if (fd_ < 0) {
    fd_ = ::open(file_.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_APPEND | O_CLOEXEC, 0644);
    if (fd_ < 0) {
      *error = failure("cannot create the rollback journal", file_);
      return false;
    }
    line = std::string(kHeader) + "\n";
  }
  line += stepName(entry.step);
  if (hasPath(entry.step)) line += "\t" + escaped(entry.path);
  line += "\n";
  const ssize_t n = ::write(fd_, line.data(), line.size());
  if (n != static_cast<ssize_t>(line.size()) || flush(fd_) != 0) {
    if (n >= 0 && n != static_cast<ssize_t>(line.size())) errno = ENOSPC;
    *error = failure("cannot write the rollback journal", file_);
    // What was written of the line ends without its line end, and a later
    // line must not complete it.
    if (n > 0) {
      if (::ftruncate(fd_, ::lseek(fd_, 0, SEEK_END) - n) != 0) {
        // The journal cannot be mended: this run is rolled back from what
        // it holds in memory, and the next run reads the torn last line as
        // a step never taken.
      }
    }
    return false;
  }
  entries_.push_back(entry);
  return true;
}

bool RollbackJournal::changedBefore(const std::string& hostTarget) const {
  return std::find(changed_.begin(), changed_.end(), hostTarget) != changed_.end();
}

bool RollbackJournal::makeDirectories(const std::string& windowsDir, std::string* error) {
  // The paths this program resolves afterwards must see what changed.
  const emulated::ForgetListingsAfter changesFiles;
  char drive = 0;
  std::vector<std::string> names;
  if (!splitMachinePath(windowsDir, &drive, &names)) {
    *error = windowsDir + " is not a path on one of this machine's drives";
    return false;
  }
  for (std::size_t count = 0; count <= names.size(); ++count) {
    const std::string path = joinMachinePath(drive, names, count);
    std::string host;
    if (!locate(path, Links::kKept, &host, error)) return false;
    struct stat st;
    if (::stat(host.c_str(), &st) == 0) {
      if (S_ISDIR(st.st_mode)) continue;
      *error = path + ": not a directory";
      return false;
    }
    if (count == 0) {
      *error = "the drive " + path + " does not exist on this machine";
      return false;
    }
    if (!record({Step::kDirectory, path}, error)) return false;
    if (::mkdir(host.c_str(), 0777) != 0 && errno != EEXIST) {
      *error = failure("cannot create the directory", path);
      return false;
    }
    emulated::forgetHostListings();
  }
  return true;
}

bool RollbackJournal::writeFile(const std::string& windowsPath, const std::string& content,
                                std::string* error) {
  // The paths this program resolves afterwards must see what changed.
  const emulated::ForgetListingsAfter changesFiles;
  std::string host;
  std::string target;
  if (!locate(windowsPath, Links::kKept, &host, error) ||
      !emulated::followHostLinks(host, &target, error) ||
      !locate(windowsPath, Links::kFollowed, &target, error)) {
    return false;
  }
  struct stat st;
  const bool present = ::lstat(target.c_str(), &st) == 0;
  if (present && !S_ISREG(st.st_mode)) {
    *error = windowsPath + ": not a file";
    return false;
  }
  if (!changedBefore(target)) {
    if (present) {
      if (!record({Step::kReplacedFile, windowsPath}, error)) return false;
      if (::rename(target.c_str(), (target + kAsideSuffix).c_str()) != 0) {
        *error = failure("cannot move aside", windowsPath);
        return false;
      }
    } else if (!record({Step::kNewFile, windowsPath}, error)) {
      return false;
    }
    changed_.push_back(target);
  }
  const std::string partial = target + kPartialSuffix;
  if (!writeDurably(partial, content, error)) return false;
  if (::rename(partial.c_str(), target.c_str()) != 0) {
    *error = failure("cannot write", windowsPath);
    return false;
  }
  return true;
}

bool RollbackJournal::removeFile(const std::string& windowsPath, std::string* error) {
  // The paths this program resolves afterwards must see what changed.
  const emulated::ForgetListingsAfter changesFiles;
  std::string host;
  if (!locate(windowsPath, Links::kKept, &host, error)) return false;
  struct stat st;
  if (::lstat(host.c_str(), &st) != 0) return true;  // nothing to take away
  if (S_ISDIR(st.st_mode)) {
    *error = windowsPath + ": a directory, not a file";
    return false;
  }
  if (changedBefore(host)) {
    // This run's own content: what was there before is recorded already.
    if (::unlink(host.c_str()) != 0) {
      *error = failure("cannot remove", windowsPath);
      return false;
    }
    return true;
  }
  if (!record({Step::kRemovedFile, windowsPath}, error)) return false;
  changed_.push_back(host);
  if (::rename(host.c_str(), (host + kAsideSuffix).c_str()) != 0) {
    *error = failure("cannot move aside", windowsPath);
    return false;
  }
  return true;
}

bool RollbackJournal::removeFolderWhenEmptied(const std::string& windowsDir, std::string* error) {
  char drive = 0;
  std::vector<std::string> names;
  if (!splitMachinePath(windowsDir, &drive, &names)) {
    *error = windowsDir + " is not a path on one of this machine's drives";
    return false;
  }
  return record({Step::kEmptiedFolder, joinMachinePath(drive, names, names.size())}, error);
}

bool RollbackJournal::commitRegistry(const std::string& text, std::string* error) {
  // The paths this program resolves afterwards must see what changed.
  const emulated::ForgetListingsAfter changesFiles;
  std::string target;
  if (!emulated::followHostLinks(emulated::registryFilePath(), &target, error)) return false;
  const std::string next = target + kCommitSuffix;
  if (!record({Step::kRegistryText, ""}, error) || !writeDurably(next, text, error) ||
      !record({Step::kCommit, ""}, error)) {
    return false;  // the rollback removes the text
  }
  // The commit: from here on the installation is done.
  if (::rename(next.c_str(), target.c_str()) != 0) {
    *error = failure("cannot replace", target);
    return false;
  }
  return true;
}

bool RollbackJournal::finish(std::string* error) {
  const emulated::ForgetListingsAfter changesFiles;
  if (fd_ >= 0) ::close(fd_);
  fd_ = -1;
  const bool ok = finishCommitted(entries_, file_, error);
  entries_.clear();
  changed_.clear();
  return ok;
}

bool RollbackJournal::rollBack(std::vector<std::string>* done) {
  if (fd_ < 0 && entries_.empty()) return true;
  if (fd_ >= 0) ::close(fd_);
  fd_ = -1;
  std::string error;
  if (!undoUncommitted(entries_, file_, done, &error)) {
    if (!error.empty()) done->push_back("Rollback: " + error);
    return false;
  }
  entries_.clear();
  changed_.clear();
  return true;
}

RollbackJournal::Recovery RollbackJournal::recover(const std::string& journalFile) {
  // The paths this program resolves afterwards must see what changed.
  const emulated::ForgetListingsAfter changesFiles;
  Recovery r;
  struct stat st;
  if (::lstat(journalFile.c_str(), &st) != 0) {
    if (errno != ENOENT) return setAside(journalFile, std::strerror(errno), nullptr);
    // No installation was stopped; a registry text without its journal was
    // written by one stopped before it recorded it.
    if (!removeCommitText(&r.log, &r.error)) r.outcome = Outcome::kFailed;
    return r;
  }
  if (S_ISLNK(st.st_mode)) {
    return setAside(journalFile, "a symbolic link, which this installer never makes", nullptr);
  }
  std::string text;
  std::string readError;
  if (!emulated::readHostFile(journalFile, &text, &readError, kMaxJournalBytes)) {
    return setAside(journalFile, readError.empty() ? "it cannot be read" : readError, nullptr);
  }
  std::vector<Entry> entries;
  std::string why;
  if (!parseJournal(text, &entries, &why)) return setAside(journalFile, why, &text);

  // The commit's rename is the one step that makes the installation done,
  // and the rename takes the registry text away; an undo removes that text
  // only after everything else.
  const std::string commitText = commitTextFile();
  const bool committed = !entries.empty() && entries.back().step == Step::kCommit &&
                         !commitText.empty() && !exists(commitText);
  if (committed) {
    r.log.push_back("An installation stopped after its commit: its changes stay");
    r.outcome =
        finishCommitted(entries, journalFile, &r.error) ? Outcome::kFinished : Outcome::kFailed;
    return r;
  }
  r.log.push_back(entries.empty() ? "An installation stopped before it changed anything"
                                  : "Rolling back an installation that was stopped before its "
                                    "commit");
  if (!undoUncommitted(entries, journalFile, &r.log, &r.error)) {
    if (r.error.empty()) r.error = "the installation stopped earlier cannot be rolled back";
    r.outcome = Outcome::kFailed;
    return r;
  }
  r.outcome = Outcome::kRolledBack;
  return r;
}

std::string rollbackJournalFile() {
  return emulated::machineDirectory() + "/msiexec-rollback.journal";
}

}  // namespace msiexec
