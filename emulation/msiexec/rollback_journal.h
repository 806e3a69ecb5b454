#pragma once

#include <string>
#include <vector>

// What an installation changes on the machine's disks, written down before
// each change is made, so that an installation that fails, or that is
// stopped, can be undone as Windows Installer rolls one back. The registry
// changes only in the commit, which the journal records last: a commit whose
// new registry file was renamed into place is done, any other run is undone.
//
// The journal is a text file in the machine directory
// (msiexec-rollback.journal), one step a line, each line flushed to the disk
// before its step is taken:
//
//   KV7 emulated Windows Installer rollback journal 2
//   directory<TAB>C:\apps\SITEA             a folder made
//   new<TAB>C:\apps\SITEA\bin\kv7drv.dll    a file written where none was
//   replaced<TAB>C:\apps\SITEA\cfg\a.lvl    a file written over one, which
//                                           is kept aside until the end
//   removed<TAB>C:\apps\SITEA\old.txt       a file taken away, kept aside
//                                           until the end
//   emptied<TAB>C:\apps\SITEA\bin           a folder a removal may have
//                                           emptied: it goes at the end,
//                                           when nothing is left in it
//   registry                                the registry's new text is being
//                                           written beside the registry file
//   commit                                  that text is whole; renaming it
//                                           over the registry file commits
//
// Paths are the machine's Windows paths (UTF-8, with %, tab, CR and LF
// written as %25, %09, %0D and %0A), on one of its drives A: to Y:. They are
// resolved through the machine whenever the journal is replayed, so a copy of
// a machine directory replays on the copy, and a path that leads off the
// machine's own drives (Z: is the host, and a symbolic link may lead
// anywhere) is never acted on. A file kept aside is <file>.kv7-rollback, a
// file being written <file>.kv7-partial and the registry's new text
// <registry file>.kv7-commit. A last line without its line end was being
// written when the installer stopped: its step was never taken.
//
// Every step can be undone again after an undo that was itself stopped, and
// the one thing that tells a committed installation from one that was not,
// the registry's new text beside the registry file, is removed only after
// everything else has been undone and the journal removed.
namespace msiexec {

// Set to "flush:N" or "removal:N", the installer kills itself (SIGKILL) just
// before its Nth flush to the disk, or just before the Nth removal that its
// rollback, recovery or finish makes (a file or folder deleted, a file put
// back from aside, the journal removed or set aside): the kill campaigns stop
// it at each such point in turn. Set to "count:FILE", it writes the numbers
// of flushes and removals it made ("17 0") to the host file FILE as it
// ends. An in-process hook rather than a tracer's fault injection, so that
// the campaigns run wherever the tests run, sanitizer builds included.
constexpr const char* kStopAtVariable = "KV7_MSIEXEC_STOP_AT";

class RollbackJournal {
 public:
  // journalFile: the host path of the journal, in the machine directory of
  // the machine whose paths the journal names (this process's machine).
  explicit RollbackJournal(std::string journalFile) : file_(std::move(journalFile)) {}
  ~RollbackJournal();
  RollbackJournal(const RollbackJournal&) = delete;
  RollbackJournal& operator=(const RollbackJournal&) = delete;

  // Creates a folder (a Windows path) and its missing parents, each recorded
  // before it is made. The drive must exist.
  bool makeDirectories(const std::string& windowsDir, std::string* error);
  // Writes a file through a temporary file beside it (following a symbolic
  // link to it). A file it replaces is first moved aside, so that a rollback
  // can put it back.
  bool writeFile(const std::string& windowsPath, const std::string& content, std::string* error);
  // Takes a file away: it is moved aside, deleted when the installation is
  // finished and put back by a rollback. A file that is not there is no
  // failure.
  bool removeFile(const std::string& windowsPath, std::string* error);
  // Names a folder (a Windows path) that a removal may leave empty. It is
  // removed when the installation is finished (or a recovery finishes it),
  // after the files kept aside, if nothing is left in it then; a rollback
  // leaves it as it is. Folders named deepest first go before their
  // parents.
  bool removeFolderWhenEmptied(const std::string& windowsDir, std::string* error);
  // Writes the registry file's new text beside the machine's registry file
  // (following a symbolic link to it), records the commit and renames the
  // text into place. False, and nothing committed, when any step fails.
  bool commitRegistry(const std::string& text, std::string* error);
  // After the commit: deletes what was kept aside and the folders left
  // empty, then the journal.
  bool finish(std::string* error);
  // Undoes this run's steps, newest first, and removes the journal. What it
  // did goes to *done, one line a step. False when a step could not be
  // undone (the journal then stays for the next run).
  bool rollBack(std::vector<std::string>* done);

  // What became of a journal that a stopped installation left behind.
  enum class Outcome {
    kNone,        // there was none
    kFinished,    // it had committed: what it kept aside is deleted
    kRolledBack,  // it had not: its steps are undone
    kSetAside,    // it could not be read as this installer's own: renamed
    kFailed,      // it could not be dealt with; it stays for the next run
  };
  struct Recovery {
    Outcome outcome = Outcome::kNone;
    std::vector<std::string> log;  // what happened, for the installer's log
    std::string error;             // kFailed: why; kSetAside: the one-line notice
  };
  // Deals with the journal left by an installation that was stopped; the
  // caller holds the installer lock. A journal that is no regular file, does
  // not begin with this installer's first line, holds a line of no known step
  // or a path off the machine's drives is renamed to
  // <journal>.unreadable-<n>, after its lines are copied into the log, and
  // nothing it names is touched. Also removes a registry text left beside the
  // registry file by an installation stopped before its commit.
  static Recovery recover(const std::string& journalFile);

  enum class Step {
    kDirectory,
    kNewFile,
    kReplacedFile,
    kRemovedFile,
    kRegistryText,
    kCommit,
    kEmptiedFolder,
  };
  struct Entry {
    Step step;
    std::string path;  // a Windows path; empty for the registry's steps
  };

 private:
  bool record(const Entry& entry, std::string* error);
  // This run already changed the file at that host path (its first state is
  // recorded, so later changes need no line of their own).
  bool changedBefore(const std::string& hostTarget) const;

  std::string file_;
  int fd_ = -1;
  std::vector<Entry> entries_;
  std::vector<std::string> changed_;  // host paths of the files recorded
};

// The journal file of this process's machine.
std::string rollbackJournalFile();

}  // namespace msiexec
