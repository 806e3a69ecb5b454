#pragma once

#include <string>
#include <vector>

// What an installation places on the machine's disks, written down before
// it is placed, so that an installation that fails, or that is stopped, can
// be undone as Windows Installer rolls one back. The registry changes only
// in the commit, which the journal records last: a commit whose new
// registry file was renamed into place is done, any other run is undone.
//
// The journal is a text file in the machine directory, one step a line,
// flushed to the disk before the step is taken.
namespace msiexec {

class RollbackJournal {
 public:
  explicit RollbackJournal(std::string journalFile) : file_(std::move(journalFile)) {}
  ~RollbackJournal();
  RollbackJournal(const RollbackJournal&) = delete;
  RollbackJournal& operator=(const RollbackJournal&) = delete;

  // Creates hostDir and its missing parents, each recorded before it is
  // made.
  bool makeDirectories(const std::string& hostDir, std::string* error);
  // Writes a file through a temporary file beside it. A file it replaces is
  // first moved aside, so that a rollback can put it back.
  bool writeFile(const std::string& hostPath, const std::string& content, std::string* error);
  // Writes the registry file's new text beside the file (following a
  // symbolic link to it), records the commit and renames the text into
  // place. False, and nothing committed, when any step fails.
  bool commitRegistry(const std::string& registryFile, const std::string& text, std::string* error);
  // After the commit: removes the files moved aside and the journal.
  bool finish(std::string* error);
  // Undoes this run's steps, newest first, and removes the journal. What it
  // did goes to *done, one line a step. False when a step could not be
  // undone (the journal then stays for the next run).
  bool rollBack(std::vector<std::string>* done);

  // A journal left behind by an installation that was stopped: finished when
  // its commit was done, else rolled back. True when there was none or it
  // was dealt with; *done tells what happened.
  static bool recover(const std::string& journalFile, std::vector<std::string>* done,
                      std::string* error);

  enum class Step { kDirectory, kNewFile, kReplacedFile, kCommit };
  struct Entry {
    Step step;
    std::string path;
    std::string aside;  // where a replaced file was moved, or the commit's new text
  };

 private:
  bool record(const Entry& entry, std::string* error);

  std::string file_;
  int fd_ = -1;
  std::vector<Entry> entries_;
};

// The journal file of this process's machine.
std::string rollbackJournalFile();

}  // namespace msiexec
