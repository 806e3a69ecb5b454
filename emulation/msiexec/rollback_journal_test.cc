#include "emulation/msiexec/rollback_journal.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "emulation/machine/machine.h"
#include "emulation/testing/test_machine.h"

namespace {

namespace fs = std::filesystem;
using msiexec::RollbackJournal;
using Outcome = RollbackJournal::Outcome;

const std::string kHeader = "KV7 emulated Windows Installer rollback journal 2\n";
const std::string kOldRegistry = "Windows Registry Editor Version 5.00\r\n\r\n; old\r\n";
const std::string kNewRegistry = "Windows Registry Editor Version 5.00\r\n\r\n; new\r\n";

using emulated::readHost;

// Names of the installer's own beside the machine's files.
std::vector<std::string> installerLeftovers(const std::string& dir) {
  std::vector<std::string> found;
  for (const auto& entry : fs::recursive_directory_iterator(dir)) {
    if (entry.path().string().find(".kv7-") != std::string::npos) {
      found.push_back(entry.path().string());
    }
  }
  return found;
}

class RollbackJournalTest : public testing::Test {
 protected:
  void SetUp() override {
    journal = machine.dir() + "/msiexec-rollback.journal";
    registry = machine.dir() + "/system.reg";
    resetFiles();
  }

  void resetFiles() {
    fs::remove_all(machine.hostPath("C:\\app"));
    std::ofstream(registry) << kOldRegistry;
    machine.writeFile("C:\\kept.txt", "old kept");
    machine.writeFile("C:\\gone.txt", "old gone");
  }

  // An installation that makes a folder, writes a new file in it, replaces
  // kept.txt, takes gone.txt away and commits the registry; stopped after
  // the given step (0 to 5: nothing done, folder, new file, replaced file,
  // removed file, committed).
  void installStoppedAfter(int steps) {
    RollbackJournal run(journal);
    std::string error;
    const bool ok = (steps < 1 || run.makeDirectories("C:\\app\\bin\\", &error)) &&
                    (steps < 2 || run.writeFile("C:\\app\\bin\\new.dll", "new", &error)) &&
                    (steps < 3 || run.writeFile("C:\\kept.txt", "new kept", &error)) &&
                    (steps < 4 || run.removeFile("C:\\gone.txt", &error)) &&
                    (steps < 5 || run.commitRegistry(kNewRegistry, &error));
    ASSERT_TRUE(ok) << error;
  }  // the journal stays: the run was never finished nor rolled back

  emulated::TestMachine machine;
  std::string journal;
  std::string registry;
};

TEST_F(RollbackJournalTest, AStoppedInstallationIsUndoneUnlessItCommitted) {
  for (int steps = 0; steps <= 5; ++steps) {
    SCOPED_TRACE(std::to_string(steps) + " steps taken");
    installStoppedAfter(steps);
    if (HasFatalFailure()) return;
    const RollbackJournal::Recovery recovery = RollbackJournal::recover(journal);
    const bool committed = steps == 5;
    EXPECT_EQ(recovery.outcome, steps == 0  ? Outcome::kNone
                                : committed ? Outcome::kFinished
                                            : Outcome::kRolledBack)
        << recovery.error;
    EXPECT_EQ(readHost(registry), committed ? kNewRegistry : kOldRegistry);
    EXPECT_EQ(machine.readFile("C:\\kept.txt"), committed ? "new kept" : "old kept");
    EXPECT_EQ(machine.readFile("C:\\gone.txt"), committed ? "" : "old gone");
    EXPECT_EQ(fs::exists(machine.hostPath("C:\\app\\bin\\new.dll")), committed);
    EXPECT_EQ(fs::exists(machine.hostPath("C:\\app")), committed);
    EXPECT_FALSE(fs::exists(journal));
    EXPECT_EQ(installerLeftovers(machine.dir()), std::vector<std::string>{});
    resetFiles();
  }
}

TEST_F(RollbackJournalTest, AFolderARemovalEmptiedGoesWithItsCommitOnlyWhenEmpty) {
  // A removal that takes away the files of C:\app\bin and C:\app\data and
  // names both folders and C:\app; C:\app\data keeps a file of its own.
  struct Case {
    const char* end;
    bool committed;
  };
  for (const Case c : {Case{"finished", true}, Case{"stopped after its commit", true},
                       Case{"stopped before its commit", false}, Case{"rolled back", false}}) {
    SCOPED_TRACE(c.end);
    resetFiles();
    machine.writeFile("C:\\app\\bin\\a.dll", "a");
    machine.writeFile("C:\\app\\data\\b.dat", "b");
    machine.writeFile("C:\\app\\data\\user.txt", "the user's");
    machine.makeDirectory("C:\\app\\empty before");
    {
      RollbackJournal run(journal);
      std::string error;
      ASSERT_TRUE(run.removeFile("C:\\app\\bin\\a.dll", &error)) << error;
      ASSERT_TRUE(run.removeFile("C:\\app\\data\\b.dat", &error)) << error;
      for (const char* folder :
           {"C:\\app\\bin\\", "C:\\app\\data", "C:\\app\\empty before", "C:\\app"}) {
        ASSERT_TRUE(run.removeFolderWhenEmptied(folder, &error)) << error;
      }
      // Nothing goes before the end: the files kept aside are still there.
      EXPECT_TRUE(fs::exists(machine.hostPath("C:\\app\\bin")));
      const std::string end = c.end;
      if (c.committed) {
        ASSERT_TRUE(run.commitRegistry(kNewRegistry, &error)) << error;
      }
      if (end == "finished") {
        ASSERT_TRUE(run.finish(&error)) << error;
      }
      if (end == "rolled back") {
        std::vector<std::string> done;
        ASSERT_TRUE(run.rollBack(&done));
      }
    }
    const RollbackJournal::Recovery recovery = RollbackJournal::recover(journal);
    EXPECT_NE(recovery.outcome, Outcome::kFailed) << recovery.error;
    EXPECT_EQ(fs::exists(machine.hostPath("C:\\app\\bin")), !c.committed);
    EXPECT_EQ(machine.readFile("C:\\app\\bin\\a.dll"), c.committed ? "" : "a");
    EXPECT_EQ(machine.readFile("C:\\app\\data\\user.txt"), "the user's");
    EXPECT_EQ(fs::exists(machine.hostPath("C:\\app\\empty before")), !c.committed);
    EXPECT_FALSE(fs::exists(journal));
    EXPECT_EQ(installerLeftovers(machine.dir()), std::vector<std::string>{});
  }
  RollbackJournal run(journal);
  std::string error;
  EXPECT_FALSE(run.removeFolderWhenEmptied("Z:\\tmp", &error));
}

TEST_F(RollbackJournalTest, AnUndoStoppedHalfWayIsTakenUpAgainNotTakenAsACommit) {
  // Stopped after its commit line, before the rename, and its undo stopped
  // in turn after it had put kept.txt back: the registry text still beside
  // the registry file says that it did not commit.
  std::ofstream(journal) << kHeader
                         << "directory\tC:\\app\ndirectory\tC:\\app\\bin\n"
                            "new\tC:\\app\\bin\\new.dll\nreplaced\tC:\\kept.txt\n"
                            "removed\tC:\\gone.txt\nregistry\ncommit\n";
  machine.writeFile("C:\\app\\bin\\new.dll", "new");
  fs::rename(machine.hostPath("C:\\gone.txt"), machine.hostPath("C:\\gone.txt.kv7-rollback"));
  std::ofstream(registry + ".kv7-commit") << kNewRegistry;
  const RollbackJournal::Recovery recovery = RollbackJournal::recover(journal);
  EXPECT_EQ(recovery.outcome, Outcome::kRolledBack) << recovery.error;
  EXPECT_EQ(readHost(registry), kOldRegistry);
  EXPECT_EQ(machine.readFile("C:\\kept.txt"), "old kept");
  EXPECT_EQ(machine.readFile("C:\\gone.txt"), "old gone");
  EXPECT_FALSE(fs::exists(machine.hostPath("C:\\app")));
  EXPECT_FALSE(fs::exists(journal));
  EXPECT_EQ(installerLeftovers(machine.dir()), std::vector<std::string>{});
}

TEST_F(RollbackJournalTest, AFileChangedTwiceInOneRunComesBackAsItWasBefore) {
  for (const bool commit : {false, true}) {
    SCOPED_TRACE(commit ? "committed" : "rolled back");
    RollbackJournal run(journal);
    std::string error;
    ASSERT_TRUE(run.writeFile("C:\\kept.txt", "first", &error)) << error;
    ASSERT_TRUE(run.removeFile("C:\\kept.txt", &error)) << error;
    ASSERT_TRUE(run.writeFile("C:\\kept.txt", "second", &error)) << error;
    ASSERT_TRUE(run.removeFile("C:\\gone.txt", &error)) << error;
    ASSERT_TRUE(run.writeFile("C:\\gone.txt", "again", &error)) << error;
    std::vector<std::string> done;
    if (commit) {
      ASSERT_TRUE(run.commitRegistry(kNewRegistry, &error)) << error;
      ASSERT_TRUE(run.finish(&error)) << error;
    } else {
      ASSERT_TRUE(run.rollBack(&done));
    }
    EXPECT_EQ(machine.readFile("C:\\kept.txt"), commit ? "second" : "old kept");
    EXPECT_EQ(machine.readFile("C:\\gone.txt"), commit ? "again" : "old gone");
    EXPECT_FALSE(fs::exists(journal));
    EXPECT_EQ(installerLeftovers(machine.dir()), std::vector<std::string>{});
    resetFiles();
  }
}

TEST_F(RollbackJournalTest, ACopiedMachineRollsBackOnlyItself) {
  installStoppedAfter(3);
  if (HasFatalFailure()) return;
  const std::string original = machine.dir();
  const std::string copy = original + "-copy";
  fs::copy(original, copy, fs::copy_options::recursive | fs::copy_options::copy_symlinks);
  std::string error;
  ASSERT_TRUE(emulated::useMachine(copy, &error)) << error;
  const RollbackJournal::Recovery recovery =
      RollbackJournal::recover(copy + "/msiexec-rollback.journal");
  EXPECT_EQ(recovery.outcome, Outcome::kRolledBack) << recovery.error;
  EXPECT_FALSE(fs::exists(copy + "/drive_c/app"));
  EXPECT_EQ(readHost(copy + "/drive_c/kept.txt"), "old kept");
  // The original still holds its own installation, and its own journal.
  EXPECT_EQ(readHost(original + "/drive_c/app/bin/new.dll"), "new");
  EXPECT_EQ(readHost(original + "/drive_c/kept.txt"), "new kept");
  EXPECT_TRUE(fs::exists(journal));
  fs::remove_all(copy);
  ASSERT_TRUE(emulated::useMachine(original, &error)) << error;
}

TEST_F(RollbackJournalTest, AJournalNotOfThisInstallerIsSetAsideAndNothingOutsideIsTouched) {
  char pattern[] = "/tmp/kv7-decoys-XXXXXX";
  ASSERT_NE(::mkdtemp(pattern), nullptr);
  const std::string decoys = pattern;
  const std::string decoy = decoys + "/decoy.txt";
  fs::create_directory_symlink(decoys, machine.hostPath("C:\\link"));
  struct Case {
    const char* what;
    std::string journal;  // the text; "<fifo>", "<directory>", "<symlink>" for other kinds
    Outcome outcome;
    std::string logged;  // a line the log holds
  };
  const Case cases[] = {
      {"garbage", "\x01\x02 not a journal\n", Outcome::kSetAside, "its first line is not"},
      {"an older journal naming host paths", "new\t" + decoy + "\n", Outcome::kSetAside,
       "its first line is not"},
      {"a host path", kHeader + "new\t" + decoy + "\n", Outcome::kSetAside,
       "not on one of this machine's drives"},
      {"drive Z:", kHeader + "replaced\tZ:\\" + decoy.substr(1) + "\n", Outcome::kSetAside,
       "not on one of this machine's drives"},
      {"a way up", kHeader + "new\tC:\\..\\..\\..\\..\\..\\..\\" + decoy.substr(1) + "\n",
       Outcome::kSetAside, "not on one of this machine's drives"},
      {"an unknown step", kHeader + "erase\tC:\\kept.txt\n", Outcome::kSetAside,
       "is no step this installer takes"},
      {"a FIFO", "<fifo>", Outcome::kSetAside, "a FIFO, not a regular file"},
      {"a directory", "<directory>", Outcome::kSetAside, "a directory, not a regular file"},
      {"a symbolic link to a file", "<symlink>", Outcome::kSetAside, "a symbolic link"},
      // A path of the machine that a link leads off it: the step is left
      // alone, the rest rolled back.
      {"a link off the machine",
       kHeader + "new\tC:\\link\\decoy.txt\nremoved\tC:\\link\\decoy.txt\ndirectory\tC:\\link\n",
       Outcome::kRolledBack, "leads off this machine's drive C:"},
      {"a cut first line", kHeader.substr(0, 10), Outcome::kRolledBack,
       "stopped before it changed anything"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    std::ofstream(decoy) << "decoy";
    std::ofstream(decoy + ".kv7-rollback") << "decoy aside";
    if (c.journal == "<fifo>") {
      ASSERT_EQ(::mkfifo(journal.c_str(), 0600), 0);
    } else if (c.journal == "<directory>") {
      fs::create_directory(journal);
      std::ofstream(journal + "/x") << "x";
    } else if (c.journal == "<symlink>") {
      fs::create_symlink(decoy, journal);
    } else {
      std::ofstream(journal, std::ios::binary) << c.journal;
    }
    const RollbackJournal::Recovery recovery = RollbackJournal::recover(journal);
    EXPECT_EQ(recovery.outcome, c.outcome) << recovery.error;
    std::string log;
    for (const std::string& line : recovery.log) log += line + "\n";
    EXPECT_NE(log.find(c.logged), std::string::npos) << log;
    EXPECT_EQ(readHost(decoy), "decoy");
    EXPECT_EQ(readHost(decoy + ".kv7-rollback"), "decoy aside");
    EXPECT_TRUE(fs::is_directory(machine.hostPath("C:\\link")));
    EXPECT_EQ(machine.readFile("C:\\kept.txt"), "old kept");
    EXPECT_FALSE(fs::exists(fs::symlink_status(journal)));
    const std::string aside = journal + ".unreadable-1";
    EXPECT_EQ(fs::exists(fs::symlink_status(aside)), c.outcome == Outcome::kSetAside);
    if (c.outcome == Outcome::kSetAside) {
      EXPECT_NE(recovery.error.find("it is kept as " + aside), std::string::npos) << recovery.error;
      if (c.journal.find('\n') != std::string::npos) {
        EXPECT_NE(log.find("it held: "), std::string::npos) << log;
      }
    }
    fs::remove_all(aside);
  }
  fs::remove_all(decoys);
}

TEST_F(RollbackJournalTest, PathsOffTheMachinesDrivesAreRefusedBeforeAnythingChanges) {
  char pattern[] = "/tmp/kv7-outside-XXXXXX";
  ASSERT_NE(::mkdtemp(pattern), nullptr);
  const std::string outside = pattern;
  fs::create_directory_symlink(outside, machine.hostPath("C:\\link"));
  RollbackJournal run(journal);
  std::string error;
  EXPECT_FALSE(run.writeFile("Z:" + outside + "/x.dll", "x", &error));
  EXPECT_FALSE(run.makeDirectories("C:\\link\\bin", &error));
  EXPECT_NE(error.find("leads off this machine's drive C:"), std::string::npos) << error;
  EXPECT_FALSE(run.writeFile("C:\\link\\x.dll", "x", &error));
  EXPECT_FALSE(run.makeDirectories("Q:\\apps", &error));
  EXPECT_EQ(error, "the drive Q:\\ does not exist on this machine");
  EXPECT_TRUE(fs::is_empty(outside));
  EXPECT_FALSE(fs::exists(journal));
  fs::remove_all(outside);
}

}  // namespace
