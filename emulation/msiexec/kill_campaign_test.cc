// The installer killed at each of its flushes to the disk, and the next run,
// which recovers what it left, killed in turn at each of its removals: after
// one more run the machine is as before the installation (the product not
// registered, none of its files there) or as after it (registered, with all
// its files), nothing is half-written and nothing of the installer's own is
// left. The test suite tries a few such points; KV7_KILL_CAMPAIGN=long tries
// every point of three installations and a removal, with the recovery and
// the one after it each killed at every removal (scripts/kill-campaign.sh).
#include <gtest/gtest.h>
#include <sys/wait.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <map>
#include <memory>
#include <regex>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "emulation/msiexec/background_program.h"
#include "emulation/msiexec/rollback_journal.h"
#include "emulation/testing/test_machine.h"

namespace {

namespace fs = std::filesystem;
using emulated::TestMachine;

const std::string kPackageName = "QOR Telvar Driver for ODBC, CLI, and .NET.msi";
const std::string kPackage = "D:\\media\\image\\" + kPackageName;
// A run that recovers what a stopped installation left, then fails (1624)
// before it changes anything of its own.
const std::vector<std::string> kRecoveryRun = {"/i", kPackage, "/qn", "TRANSFORMS=missing.mst"};

using emulated::readHost;

// What a machine holds: the files and folders of its drives with their
// contents, and its registry with the installation dates taken out.
struct MachineState {
  std::map<std::string, std::string> files;
  std::string registry;
  bool operator==(const MachineState& other) const {
    return files == other.files && registry == other.registry;
  }
};

MachineState stateOf(const std::string& dir) {
  MachineState state;
  for (const auto& entry : fs::recursive_directory_iterator(dir)) {
    const std::string path = entry.path().string().substr(dir.size());
    if (path.rfind("/drive_", 0) != 0 && path.find(".kv7-") == std::string::npos) continue;
    state.files[path] = entry.is_symlink()     ? "<link>"
                        : entry.is_directory() ? "<dir>"
                                               : readHost(entry.path().string());
  }
  static const std::regex kDate("\"InstallDate\"=\"[0-9]{8}\"");
  state.registry = std::regex_replace(readHost(dir + "/system.reg"), kDate, "\"InstallDate\"=\"\"");
  return state;
}

// The paths where two states differ, for the failure message.
std::string difference(const MachineState& a, const MachineState& b) {
  std::set<std::string> paths;
  for (const auto& [path, content] : a.files) paths.insert(path);
  for (const auto& [path, content] : b.files) paths.insert(path);
  std::string text;
  for (const std::string& path : paths) {
    auto x = a.files.find(path);
    auto y = b.files.find(path);
    if (x == a.files.end() || y == b.files.end() || x->second != y->second) text += " " + path;
  }
  if (a.registry != b.registry) text += " system.reg";
  return text;
}

struct Scenario {
  const char* name;
  std::vector<std::string> install;
  // What the machine holds before the installation, beyond the package.
  std::function<void(TestMachine&)> prepare;
};

// Installs the first copy SITEA, as the scenarios that start from it need.
void installSiteA(TestMachine& machine) {
  auto run =
      machine.run(TestMachine::testBinDir() + "/msiexec",
                  {"/i", kPackage, "/qn", "KV7_COPY_NAME=SITEA", "INSTALLDIR=C:\\apps\\SITEA"});
  ASSERT_EQ(run.exitCode, 0u) << run.err;
}

const Scenario kScenarios[] = {
    {"a first copy with a language transform",
     {"/i", kPackage, "/qn", "TRANSFORMS=1031.mst", "KV7_COPY_NAME=SITEA",
      "INSTALLDIR=C:\\apps\\SITEA"},
     [](TestMachine&) {}},
    {"a further copy in slot 15",
     {"/i", kPackage, "/qn", "MSINEWINSTANCE=1", "TRANSFORMS=:inst15.mst;1033.mst",
      "KV7_COPY_NAME=SITEB", "INSTALLDIR=C:\\apps\\SITEB"},
     installSiteA},
    {"a reinstall that replaces a changed file and brings back a deleted one",
     {"/i", kPackage, "/qn", "REINSTALL=ALL", "REINSTALLMODE=vomus"},
     [](TestMachine& machine) {
       installSiteA(machine);
       machine.writeFile("C:\\apps\\SITEA\\bin\\kv7drv.dll", "changed by the user");
       machine.removePath("C:\\apps\\SITEA\\cfg\\kv7kvdriver.lvl");
     }},
    // Its files, folders, cached package and kept transform go, and the
    // first copy stays.
    {"the removal of slot 15's copy by its product code",
     {"/x", "{5C1E7A20-3B9D-4F62-A8E0-0E4B7C93F2A6}", "/qn"},
     [](TestMachine& machine) {
       installSiteA(machine);
       auto run = machine.run(
           TestMachine::testBinDir() + "/msiexec",
           {"/i", kPackage, "/qn", "MSINEWINSTANCE=1", "TRANSFORMS=:inst15.mst;1033.mst",
            "KV7_COPY_NAME=SITEB", "INSTALLDIR=C:\\apps\\SITEB"});
       ASSERT_EQ(run.exitCode, 0u) << run.err;
     }},
};

class KillCampaign {
 public:
  explicit KillCampaign(const Scenario& scenario) : scenario_(scenario) {
    // On a memory disk where there is one: the campaign flushes thousands
    // of times, and what a kill leaves does not depend on the disk.
    const char* previous = std::getenv("TMPDIR");
    const std::string saved = previous != nullptr ? previous : "";
    if (fs::is_directory("/dev/shm")) ::setenv("TMPDIR", "/dev/shm", 1);
    machine_ = std::make_unique<TestMachine>();
    if (previous != nullptr) {
      ::setenv("TMPDIR", saved.c_str(), 1);
    } else {
      ::unsetenv("TMPDIR");
    }
    for (const char* file : {"1031.mst", "1033.mst"}) {
      machine_->writeFile("D:\\media\\image\\" + std::string(file),
                          readHost(TestMachine::imageDir() + "/" + file));
    }
    machine_->writeFile(kPackage, readHost(TestMachine::imageDir() + "/" + kPackageName));
    scenario.prepare(*machine_);
    template_ = machine_->dir() + ".template";
    fs::copy(machine_->dir(), template_,
             fs::copy_options::recursive | fs::copy_options::copy_symlinks);
    before_ = stateOf(machine_->dir());
    // Undisturbed, it counts its flushes, and shows the state after.
    const std::string counts = template_ + ".counts";
    const int status = run(scenario.install, "count:" + counts);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << scenario.name;
    std::istringstream(readHost(counts)) >> flushes_ >> removals_;
    after_ = stateOf(machine_->dir());
    EXPECT_FALSE(before_ == after_) << scenario.name << ": the installation changed nothing";
  }
  ~KillCampaign() {
    fs::remove_all(template_);
    fs::remove(template_ + ".counts");
  }

  long flushes() const { return flushes_; }
  long removals() const { return removals_; }

  enum class Outcome { kBefore, kAfter, kBroken };
  struct Result {
    Outcome outcome = Outcome::kBroken;
    // false: the recovery ended before it came to that removal
    bool recoveryKilled = false;
    bool secondRecoveryKilled = false;
    std::string problem;
  };

  // The installation killed at a stop point ("flush:3", "removal:1"), the
  // recovery that follows killed at its removal m, a second recovery at its
  // removal m2 (0: not killed), then one more recovery.
  Result killAt(const std::string& point, long m, long m2 = 0) {
    Result result;
    reset();
    int status = run(scenario_.install, point);
    if (!WIFSIGNALED(status)) {
      result.problem = "the installation was not stopped at " + point;
      return result;
    }
    if (m > 0) {
      status = run(kRecoveryRun, "removal:" + std::to_string(m));
      result.recoveryKilled = WIFSIGNALED(status);
    }
    if (m2 > 0) {
      status = run(kRecoveryRun, "removal:" + std::to_string(m2));
      result.secondRecoveryKilled = WIFSIGNALED(status);
    }
    status = run(kRecoveryRun, "");
    if (!WIFEXITED(status) || WEXITSTATUS(status) != (1624 & 0xFF)) {
      result.problem = "the last recovery ended with status " + std::to_string(status);
      return result;
    }
    const MachineState now = stateOf(machine_->dir());
    for (const auto& [path, content] : now.files) {
      if (path.find(".kv7-") != std::string::npos) result.problem += " left " + path + ";";
    }
    if (fs::exists(machine_->dir() + "/msiexec-rollback.journal")) {
      result.problem += " the journal is left;";
    }
    if (now == before_) {
      result.outcome = Outcome::kBefore;
    } else if (now == after_) {
      result.outcome = Outcome::kAfter;
    } else {
      result.problem += " neither as before (" + difference(now, before_) +
                        " differ) nor as after (" + difference(now, after_) + " differ)";
    }
    if (!result.problem.empty()) result.outcome = Outcome::kBroken;
    return result;
  }

 private:
  void reset() {
    fs::remove_all(machine_->dir());
    fs::copy(template_, machine_->dir(),
             fs::copy_options::recursive | fs::copy_options::copy_symlinks);
  }

  int run(const std::vector<std::string>& args, const std::string& stopAt) {
    std::vector<std::pair<std::string, std::string>> env = {{"KV7_MACHINE", machine_->dir()}};
    env.emplace_back(msiexec::kStopAtVariable, stopAt);
    msiexec_testing::BackgroundProgram program(TestMachine::testBinDir() + "/msiexec", args, env);
    return program.wait();
  }

  const Scenario& scenario_;
  std::unique_ptr<TestMachine> machine_;
  std::string template_;
  MachineState before_;
  MachineState after_;
  long flushes_ = 0;
  long removals_ = 0;
};

TEST(KillCampaignTest, EveryStoppedInstallationEndsAllOrNothing) {
  const bool exhaustive = std::getenv("KV7_KILL_CAMPAIGN") != nullptr &&
                          std::string(std::getenv("KV7_KILL_CAMPAIGN")) == "long";
  const auto start = std::chrono::steady_clock::now();
  int cases = 0;
  int asBefore = 0;
  int asAfter = 0;
  int broken = 0;
  for (const Scenario& scenario : kScenarios) {
    KillCampaign campaign(scenario);
    if (testing::Test::HasFailure()) return;
    ASSERT_GT(campaign.flushes(), 3) << scenario.name;
    // Every flush and every removal of the installation in the long
    // campaign; in the short one the last flush (the commit line, after
    // which a recovery must tell a commit from an undo stopped half-way)
    // and every removal after the commit. Each recovery is killed in turn at each
    // of its own removals.
    std::vector<std::string> points;
    for (long n = 1; n <= campaign.flushes(); ++n) {
      if (exhaustive || n == campaign.flushes()) {
        points.push_back("flush:" + std::to_string(n));
      }
    }
    for (long n = 1; n <= campaign.removals(); ++n) {
      points.push_back("removal:" + std::to_string(n));
    }
    auto count = [&](const KillCampaign::Result& result, const std::string& stops) {
      ++cases;
      if (result.outcome == KillCampaign::Outcome::kBefore) ++asBefore;
      if (result.outcome == KillCampaign::Outcome::kAfter) ++asAfter;
      if (result.outcome == KillCampaign::Outcome::kBroken) {
        ++broken;
        ADD_FAILURE() << scenario.name << ", killed at " << stops << ":" << result.problem;
      }
    };
    for (const std::string& point : points) {
      for (long m = 0;; ++m) {
        const KillCampaign::Result result = campaign.killAt(point, m);
        count(result, point + ", its recovery at removal " + std::to_string(m));
        if (m > 0 && !result.recoveryKilled) break;
        // The long campaign stops the next recovery too, at each of its
        // removals.
        for (long m2 = 1; exhaustive && m > 0; ++m2) {
          const KillCampaign::Result twice = campaign.killAt(point, m, m2);
          count(twice, point + ", its recovery at removal " + std::to_string(m) +
                           ", the next at removal " + std::to_string(m2));
          if (!twice.secondRecoveryKilled) break;
        }
      }
    }
    if (!exhaustive) break;  // one installation is enough for the test suite
  }
  const double seconds =
      std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  std::printf("kill campaign (%s): %d cases, %d as before, %d as after, %d broken, %.1f s\n",
              exhaustive ? "long" : "short", cases, asBefore, asAfter, broken, seconds);
}

}  // namespace
