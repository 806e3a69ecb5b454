// The staged programs on machines that are hostile or failing: a full disk,
// a registry Windows could not hold, files that never end, a registry file
// that is a symbolic link.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "emulation/machine/machine.h"
#include "emulation/testing/test_disk.h"
#include "tests/machine_with_image.h"

namespace {

namespace fs = std::filesystem;

constexpr uint32_t kLauncherFailed = 8115;
constexpr uint32_t kInstallFailure = 1603;
const std::string kImage = MachineWithImage::kImageDir;

using emulated::readHost;

// Every path under dir, but the disk's own filler.
std::set<std::string> listing(const std::string& dir) {
  std::set<std::string> paths;
  for (const auto& entry : fs::recursive_directory_iterator(dir)) {
    const std::string path = entry.path().string();
    if (entry.path().filename() != ".filler") paths.insert(path.substr(dir.size()));
  }
  return paths;
}

// A host directory outside any test disk, for the logs. Its name holds no
// "-" or "/": setup finds its options anywhere in its arguments, so a path
// with "-i" in it would give a language.
class ScratchDir {
 public:
  ScratchDir() {
    char pattern[] = "/tmp/kv7scratchXXXXXX";
    if (::mkdtemp(pattern) != nullptr) dir_ = pattern;
  }
  ~ScratchDir() { fs::remove_all(dir_); }
  std::string windowsPath(const std::string& name) const {
    return emulated::toWindowsPath(dir_ + "/" + name);
  }
  std::string hostPath(const std::string& name) const { return dir_ + "/" + name; }

 private:
  std::string dir_;
};

// A machine made in a directory of the given disk.
class MachineOnDisk {
 public:
  explicit MachineOnDisk(const std::string& dir) {
    const char* previous = std::getenv("TMPDIR");
    const std::string saved = previous != nullptr ? previous : "";
    ::setenv("TMPDIR", dir.c_str(), 1);
    m = std::make_unique<MachineWithImage>();
    if (previous != nullptr) {
      ::setenv("TMPDIR", saved.c_str(), 1);
    } else {
      ::unsetenv("TMPDIR");
    }
  }
  std::unique_ptr<MachineWithImage> m;
};

// Makes m ready to install a first copy, SITEA, with D:\rsp\first.rsp.
void prepareFirstCopy(MachineWithImage& m) {
  m.commitRegistry();
  m.writeFile("D:\\rsp\\first.rsp", "COPY_NAME=SITEA\nFILE=C:\\apps\\SITEA\n");
  m.expectReadyToInstall();
}

TEST(ReliabilityEndToEnd, AnInstallOnAFullDiskFails1603AndLeavesNothingBehind) {
  emulated::TestDisk disk(64 * 1024 * 1024);
  if (!disk.mounted()) GTEST_SKIP() << disk.reason();
  MachineOnDisk onDisk(disk.dir());
  MachineWithImage& m = *onDisk.m;
  prepareFirstCopy(m);
  if (HasFatalFailure()) return;
  ScratchDir logs;
  auto first = m.setup({"/u", "D:\\rsp\\first.rsp", "/l", logs.windowsPath("first.log")});
  ASSERT_EQ(first.exitCode, 0u) << first.out << first.err;

  const std::string registryFile = m.machine().dir() + "/system.reg";
  const std::string registry = readHost(registryFile);
  const std::set<std::string> files = listing(disk.dir());
  // No room at all, and room for the first files of the copy but not for
  // the package it caches.
  for (std::size_t pages : {0, 3}) {
    SCOPED_TRACE(std::to_string(pages) + " pages free");
    ASSERT_TRUE(disk.fillLeaving(pages));
    const std::string log = "second" + std::to_string(pages) + ".log";
    auto second = m.setup({"/o", "/l", logs.windowsPath(log)});
    EXPECT_EQ(second.exitCode, kInstallFailure) << second.out << second.err;
    EXPECT_EQ(readHost(registryFile), registry);
    EXPECT_EQ(listing(disk.dir()), files);
    EXPECT_TRUE(contains(readHost(logs.hostPath(log)), "No space left on device"));
    if (pages > 0) {
      EXPECT_TRUE(contains(readHost(logs.hostPath(log)), "Rollback: removed"))
          << "files were placed and removed again";
    }
  }
}

TEST(ReliabilityEndToEnd, AMachineOnAReadOnlyDiskFailsHonestlyNotAsBusy) {
  emulated::TestDisk disk(128 * 1024 * 1024);
  if (!disk.mounted()) GTEST_SKIP() << disk.reason();
  MachineOnDisk onDisk(disk.dir());
  MachineWithImage& m = *onDisk.m;
  prepareFirstCopy(m);
  if (HasFatalFailure()) return;
  const std::string machineDir = m.machine().dir();
  const std::string registry = readHost(machineDir + "/system.reg");
  if (!disk.makeReadOnly()) GTEST_SKIP() << disk.reason();
  ScratchDir logs;
  const std::string readOnly = "Read-only file system";
  struct Case {
    const char* what;
    std::vector<std::string> args;
    uint32_t code;
    std::string err;  // a line standard error holds
    std::string log;  // a line the host log holds ("" when there is none)
  };
  const Case cases[] = {
      // The installer cannot lock or journal anything there: a code that no
      // tool retries (1618 would be), naming the machine directory; setup's
      // own guard cannot be made either, and the machine says why.
      {"setup with a log outside the machine",
       {"/u", "D:\\rsp\\first.rsp", "/l", logs.windowsPath("a.log")},
       1632,
       "cannot create the mutex ProtectKV7CLIInstall: its lock file " + machineDir +
           "/mutexes/ProtectKV7CLIInstall.lock cannot be created in the machine directory " +
           machineDir + ": " + readOnly,
       "Error 1632: the machine directory " + machineDir + " cannot be written: its lock file " +
           machineDir + "/msiexec-install.lock cannot be created: " + readOnly},
      // setup cannot make its log folder; its own message stays as it is,
      // and the machine says why.
      {"setup with a log folder on the machine",
       {"/u", "D:\\rsp\\first.rsp", "/l", "C:\\temp\\x.log"},
       kLauncherFailed,
       "cannot create the directory C:\\temp (" + machineDir +
           "/drive_c/temp): it is on a read-only file system, as is the machine directory " +
           machineDir,
       ""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    auto run = m.setup(c.args);
    EXPECT_EQ(run.exitCode, c.code) << run.out << run.err;
    EXPECT_TRUE(contains(run.err, c.err)) << run.err;
    if (!c.log.empty()) {
      EXPECT_TRUE(contains(readHost(logs.hostPath("a.log")), c.log))
          << readHost(logs.hostPath("a.log"));
    }
  }
  EXPECT_EQ(readHost(machineDir + "/system.reg"), registry);
}

TEST(ReliabilityEndToEnd, EveryProgramStopsOnARegistryWindowsCouldNotHold) {
  std::string deep = "Windows Registry Editor Version 5.00\r\n\r\n[HKEY_LOCAL_MACHINE";
  for (int level = 1; level < 2000; ++level) deep += "\\K";
  deep += "]\r\n";
  struct Case {
    const char* name;
    std::string reason;
  };
  const Case cases[] = {
      {"a key 2,000 levels deep", ":3: the key is 2000 levels deep; Windows allows 512"},
      {"a FIFO", ": a FIFO, not a regular file"},
      {"a link to /dev/zero", ": a character device, not a regular file"},
      {"a link to nothing", ": a symbolic link to "},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    MachineWithImage m;
    m.writeFile("D:\\rsp\\drv.rsp", "PROD = ALL\n");
    const std::string registryFile = m.machine().dir() + "/system.reg";
    fs::remove(registryFile);
    const std::string kind = c.name;
    if (kind == "a FIFO") {
      ASSERT_EQ(::mkfifo(registryFile.c_str(), 0600), 0);
    } else if (kind == "a link to /dev/zero") {
      fs::create_symlink("/dev/zero", registryFile);
    } else if (kind == "a link to nothing") {
      fs::create_symlink(m.machine().dir() + "/gone.reg", registryFile);
    } else {
      std::ofstream(registryFile, std::ios::binary) << deep;
    }
    const std::vector<std::pair<std::string, std::vector<std::string>>> programs = {
        {m.machine().hostPath(kImage + "setup"), {"/l", "C:\\temp\\x.log", "-showcommand"}},
        {m.machine().hostPath(kImage + "rspcheck"), {"D:\\rsp\\drv.rsp"}},
        {m.machine().hostPath(kImage + "kv7inventory"), {}},
        {emulated::TestMachine::testBinDir() + "/msiexec",
         {"/i", kImage + MachineWithImage::kPackageName, "/qn"}},
    };
    for (const auto& [program, args] : programs) {
      auto run = m.machine().run(program, args);
      EXPECT_EQ(run.exitCode, kLauncherFailed) << program << "\n" << run.out << run.err;
      EXPECT_TRUE(contains(run.err, "The emulated Windows machine's registry is malformed: " +
                                        registryFile + c.reason))
          << program << "\n"
          << run.err;
    }
  }
}

TEST(ReliabilityEndToEnd, MessageAndResponseFilesThatNeverEndStopThePrograms) {
  MachineWithImage m;
  m.commitRegistry();
  const std::string messages = m.machine().hostPath(kImage + "launchmsg\\en_US\\Launch.pro");
  const std::string fifo = m.machine().hostPath("D:\\rsp\\fifo.rsp");
  const std::string huge = m.machine().hostPath("D:\\rsp\\huge.rsp");
  fs::create_directories(fs::path(fifo).parent_path());
  ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
  // A file larger than any response file, without taking the disk's room.
  std::ofstream(huge) << "PROD = ALL\n";
  fs::resize_file(huge, 65 * 1024 * 1024);
  const std::string setup = m.machine().hostPath(kImage + "setup");
  const std::string rspcheck = m.machine().hostPath(kImage + "rspcheck");
  struct Case {
    std::string program;
    std::vector<std::string> args;
    std::string message;
  };
  const Case cases[] = {
      // setup itself refuses a response file that is no regular file.
      {setup,
       {"/u", "D:\\rsp\\fifo.rsp", "/l", "C:\\temp\\x.log", "-showcommand"},
       "The response file D:\\rsp\\fifo.rsp does not exist or is not a file."},
      {rspcheck,
       {"D:\\rsp\\fifo.rsp"},
       "The emulated Windows machine cannot read the response file D:\\rsp\\fifo.rsp (" + fifo +
           "): a FIFO, not a regular file"},
      {rspcheck,
       {"D:\\rsp\\huge.rsp"},
       "The emulated Windows machine cannot read the response file D:\\rsp\\huge.rsp (" + huge +
           "): larger than the 64 MiB a response file may have"},
      {setup,
       {"/l", "C:\\temp\\x.log", "-showcommand"},
       "The emulated Windows machine cannot read the message file " + kImage +
           "\\launchmsg\\en_us\\Launch.pro (" + messages + "): a FIFO, not a regular file"},
  };
  for (const Case& c : cases) {
    if (c.program == setup && c.args[0] == "/l") {
      fs::remove(messages);
      ASSERT_EQ(::mkfifo(messages.c_str(), 0600), 0);
    }
    auto run = m.machine().run(c.program, c.args);
    EXPECT_EQ(run.exitCode, kLauncherFailed) << c.message << "\n" << run.out << run.err;
    EXPECT_TRUE(contains(run.out + run.err, c.message)) << run.out << run.err;
  }
}

TEST(ReliabilityEndToEnd, AnInstallWritesThroughASymlinkedRegistryFile) {
  MachineWithImage m;
  prepareFirstCopy(m);
  if (HasFatalFailure()) return;
  const std::string registryFile = m.machine().dir() + "/system.reg";
  const std::string kept = m.machine().dir() + "/kept/system.reg";
  fs::create_directories(fs::path(kept).parent_path());
  fs::rename(registryFile, kept);
  fs::create_symlink("kept/system.reg", registryFile);

  auto run = m.setup({"/u", "D:\\rsp\\first.rsp", "/l", "C:\\temp\\first.log"});
  ASSERT_EQ(run.exitCode, 0u) << run.out << run.err;
  EXPECT_TRUE(fs::is_symlink(registryFile));
  EXPECT_TRUE(contains(readHost(kept), "InstalledCopies\\SITEA]"));
  EXPECT_EQ(
      std::distance(fs::directory_iterator(fs::path(kept).parent_path()), fs::directory_iterator()),
      1)
      << "nothing but the registry file is left beside it";
}

}  // namespace
