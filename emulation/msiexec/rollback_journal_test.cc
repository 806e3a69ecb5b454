#include "emulation/msiexec/rollback_journal.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "emulation/machine/host_files.h"

namespace {

namespace fs = std::filesystem;
using msiexec::RollbackJournal;

std::string readHost(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::stringstream content;
  content << in.rdbuf();
  return content.str();
}

class RollbackJournalTest : public testing::Test {
 protected:
  void SetUp() override {
    char pattern[] = "/tmp/kv7-journal-XXXXXX";
    ASSERT_NE(::mkdtemp(pattern), nullptr);
    dir = pattern;
    journal = dir + "/journal";
    registry = dir + "/system.reg";
    std::ofstream(registry) << "old registry";
    std::ofstream(dir + "/kept.txt") << "old kept";
  }
  void TearDown() override { fs::remove_all(dir); }

  // An installation that writes a new file in a new folder, replaces
  // kept.txt and commits the registry; stopped after the given step
  // (0 to 4: nothing done, folder, new file, replaced file, committed).
  void installStoppedAfter(int steps) {
    RollbackJournal run(journal);
    std::string error;
    const bool ok = (steps < 1 || run.makeDirectories(dir + "/app/bin", &error)) &&
                    (steps < 2 || run.writeFile(dir + "/app/bin/new.dll", "new", &error)) &&
                    (steps < 3 || run.writeFile(dir + "/kept.txt", "new kept", &error)) &&
                    (steps < 4 || run.commitRegistry(registry, "new registry", &error));
    ASSERT_TRUE(ok) << error;
  }  // the journal stays: the run was never finished nor rolled back

  std::string dir;
  std::string journal;
  std::string registry;
};

TEST_F(RollbackJournalTest, AStoppedInstallationIsUndoneUnlessItCommitted) {
  for (int steps = 0; steps <= 4; ++steps) {
    SCOPED_TRACE(std::to_string(steps) + " steps taken");
    installStoppedAfter(steps);
    if (HasFatalFailure()) return;
    std::vector<std::string> done;
    std::string error;
    ASSERT_TRUE(RollbackJournal::recover(journal, &done, &error)) << error;
    const bool committed = steps == 4;
    EXPECT_EQ(readHost(registry), committed ? "new registry" : "old registry");
    EXPECT_EQ(readHost(dir + "/kept.txt"), committed ? "new kept" : "old kept");
    EXPECT_EQ(fs::exists(dir + "/app/bin/new.dll"), committed);
    EXPECT_EQ(fs::exists(dir + "/app"), committed);
    EXPECT_FALSE(fs::exists(journal));
    // Nothing of the installer's own is left beside the files.
    for (const auto& entry : fs::recursive_directory_iterator(dir)) {
      EXPECT_EQ(entry.path().string().find(".kv7-"), std::string::npos) << entry.path();
    }
    fs::remove_all(dir + "/app");
    std::ofstream(registry) << "old registry";
    std::ofstream(dir + "/kept.txt") << "old kept";
  }
}

TEST_F(RollbackJournalTest, AJournalOfAnotherKindIsNotTouched) {
  std::vector<std::string> done;
  std::string error;
  EXPECT_TRUE(RollbackJournal::recover(journal, &done, &error)) << "no journal: nothing to do";
  // A line cut short was never acted on; a line of no known step is no
  // journal this installer wrote.
  std::ofstream(journal) << "new\t" << dir << "/kept.txt\nnew\t" << dir << "/ke";
  EXPECT_TRUE(RollbackJournal::recover(journal, &done, &error)) << error;
  EXPECT_FALSE(fs::exists(dir + "/kept.txt"));
  std::ofstream(journal) << "erase\t" << registry << "\n";
  EXPECT_FALSE(RollbackJournal::recover(journal, &done, &error));
  EXPECT_EQ(error, journal + ": not a rollback journal");
  EXPECT_TRUE(fs::exists(registry));
}

}  // namespace
