// The whole install lifecycle as a new user meets it: setup runs the
// machine's Windows Installer, which installs for real, and each run of setup
// decides from what the runs before it left behind. kv7inventory shows the
// copies after each step.
#include <gtest/gtest.h>

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <map>
#include <random>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include <nlohmann/json.hpp>

#include "emulation/machine/registry_file.h"
#include "emulation/machine/registry_view.h"
#include "emulation/msiexec/background_program.h"
#include "emulation/msiexec/installer_run.h"
#include "tests/machine_with_image.h"

namespace {

namespace fs = std::filesystem;

constexpr uint32_t kMaximumCopiesReached = 8118;
constexpr uint32_t kLauncherFailed = 8115;
const std::string kInstaller = "C:\\Windows\\system32\\msiexec.exe";
const std::string kPackage =
    std::string(MachineWithImage::kImageDir) + MachineWithImage::kPackageName;
const std::string kCopies = "HKEY_LOCAL_MACHINE\\SOFTWARE\\QOR\\KV7\\InstalledCopies\\";

// A copy as kv7inventory shows it.
struct ShownCopy {
  std::string path;
  std::string modification;
  std::string code;  // the driver's product code in the copy
};

// The copies by name, from kv7inventory's report.
std::map<std::string, ShownCopy> parseInventory(const std::string& report) {
  std::map<std::string, ShownCopy> copies;
  std::istringstream lines(report);
  ShownCopy* current = nullptr;
  auto after = [](const std::string& line, const std::string& label) {
    std::size_t at = line.find(label);
    if (at == std::string::npos) return std::string();
    at = line.find_first_not_of(' ', at + label.size());
    return at == std::string::npos ? std::string() : line.substr(at);
  };
  for (std::string line; std::getline(lines, line);) {
    if (line.rfind("Copy ", 0) == 0 && line.find(": ") != std::string::npos) {
      current = &copies[line.substr(line.find(": ") + 2)];
    } else if (current != nullptr && line.find("Path:") != std::string::npos) {
      current->path = after(line, "Path:");
    } else if (current != nullptr && line.find("Modification:") != std::string::npos) {
      current->modification = after(line, "Modification:");
    } else if (current != nullptr && line.find(" kvdriver ") != std::string::npos) {
      current->code = after(line, " kvdriver ");
    }
  }
  return copies;
}

// The package's "Modification": the last field of its version, which the
// copies it installs carry.
std::string packageModification(MachineWithImage& m) {
  const std::string log = m.machine().readFile("C:\\temp\\run1.log");
  const std::string label = "Property(S): ProductVersion = ";
  const std::size_t at = log.find(label);
  if (at == std::string::npos) return "<no version in the log>";
  const std::size_t end = log.find_first_of("\r\n", at);
  const std::string version = log.substr(at + label.size(), end - at - label.size());
  return version.substr(version.rfind('.') + 1);
}

class Lifecycle {
 public:
  Lifecycle() {
    m.setSystemLanguage("0409");
    m.commitRegistry();
    m.writeFile("D:\\rsp\\first.rsp", "COPY_NAME=SITEA\nFILE=C:\\apps\\SITEA\n");
  }

  // Runs setup with a log file of its own for each run, as a user keeping
  // the logs would.
  emulated::TestMachine::ProgramRun setup(std::vector<std::string> args) {
    args.push_back("/l");
    args.push_back("C:\\temp\\run" + std::to_string(++runs) + ".log");
    return m.setup(args);
  }

  std::map<std::string, ShownCopy> inventory() {
    auto run = m.machine().run(
        m.machine().hostPath(std::string(MachineWithImage::kImageDir) + "kv7inventory"), {});
    EXPECT_EQ(run.exitCode, 0u) << run.out << run.err;
    return parseInventory(run.out);
  }

  std::string registryBytes() {
    return MachineWithImage::readHost(m.machine().dir() + "/system.reg");
  }

  // A copy's registry key with its subkeys and values, as text.
  std::string copyKeyText(const std::string& name) {
    emulated::RegistryFile registry;
    std::string error;
    if (!registry.load(m.machine().dir() + "/system.reg", &error)) return error;
    const emulated::RegistryKey* key = registry.findKey(kCopies + name);
    return key == nullptr ? "<no key>" : keyText(*key);
  }

  static std::string keyText(const emulated::RegistryKey& key) {
    std::string text = "[" + key.name() + "]\n";
    for (const emulated::RegistryValue& value : key.values()) {
      std::string shown;
      if (!emulated::valueAsText(value, &shown)) shown = "<" + std::to_string(value.type) + ">";
      text += value.name + "=" + shown + "\n";
    }
    for (const emulated::RegistryKey* child : key.subkeys()) text += keyText(*child);
    return text;
  }

  MachineWithImage m;
  int runs = 0;
};

// What the machine needs before setup can install anything.
void expectReadyToInstall(MachineWithImage& m) {
  const std::string installer = m.machine().hostPath(kInstaller);
  if (!fs::exists(installer)) {
    // A machine made before its installer was built: give it the one this
    // build made.
    fs::create_symlink(emulated::TestMachine::testBinDir() + "/msiexec", installer);
  }
  ASSERT_TRUE(fs::exists(installer)) << "no emulated installer: build the msiexec target";
  ASSERT_NE(m.machine().readFile(kPackage), "package")
      << "the staged image has no driver package: build the driver_package target";
}

TEST(LifecycleEndToEnd, FromTheFirstCopyToTheLastFreeSlot) {
  Lifecycle life;
  MachineWithImage& m = life.m;
  expectReadyToInstall(m);
  if (HasFatalFailure()) return;

  // An unattended run installs the first copy under the driver's base code.
  auto run = life.setup({"/u", "D:\\rsp\\first.rsp"});
  ASSERT_EQ(run.exitCode, 0u) << run.out << run.err;
  const std::string modification = packageModification(m);
  auto copies = life.inventory();
  ASSERT_EQ(copies.size(), 1u);
  EXPECT_EQ(copies["SITEA"].path, "C:\\apps\\SITEA");
  EXPECT_EQ(copies["SITEA"].code, MachineWithImage::kDriverCode);
  EXPECT_EQ(copies["SITEA"].modification, modification);
  EXPECT_NE(m.machine().readFile("C:\\temp\\run1.log").find("Property(S): TRANSFORMS = 1033.mst"),
            std::string::npos);

  // A new copy without name or directory takes the highest slot, the first
  // free default name and a directory named after it.
  const std::string programFiles = "C:\\Program Files\\QOR\\";
  run = life.setup({"/o"});
  ASSERT_EQ(run.exitCode, 0u) << run.out << run.err;
  copies = life.inventory();
  ASSERT_EQ(copies.size(), 2u);
  EXPECT_EQ(copies["KV7COPY1"].path, programFiles + "KV7COPY1");
  EXPECT_EQ(copies["KV7COPY1"].code, MachineWithImage::slotCode(15));
  EXPECT_EQ(copies["SITEA"].code, MachineWithImage::kDriverCode);
  const std::string secondCopy = life.copyKeyText("KV7COPY1");

  // The next one, again without name or directory, takes the next slot down
  // and a copy of its own: the one before keeps its name, directory, product
  // code and every registry value.
  run = life.setup({"/o"});
  ASSERT_EQ(run.exitCode, 0u) << run.out << run.err;
  copies = life.inventory();
  ASSERT_EQ(copies.size(), 3u);
  EXPECT_EQ(copies["KV7COPY2"].path, programFiles + "KV7COPY2");
  EXPECT_EQ(copies["KV7COPY2"].code, MachineWithImage::slotCode(14));
  EXPECT_EQ(copies["KV7COPY2"].modification, modification);
  EXPECT_EQ(copies["KV7COPY1"].path, programFiles + "KV7COPY1");
  EXPECT_EQ(copies["KV7COPY1"].code, MachineWithImage::slotCode(15));
  EXPECT_EQ(life.copyKeyText("KV7COPY1"), secondCopy);
  for (const char* name : {"KV7COPY1", "KV7COPY2"}) {
    EXPECT_TRUE(fs::exists(m.machine().hostPath(programFiles + name + "\\cfg\\kv7kvdriver.lvl")))
        << name;
  }

  // The second copy by its name: maintained under its own instance code,
  // which changes nothing.
  run = life.setup({"/n", "KV7COPY1", "-showcommand"});
  ASSERT_EQ(run.exitCode, 0u) << run.err;
  EXPECT_NE(run.out.find("MSIINSTANCEGUID=" + MachineWithImage::slotCode(15)), std::string::npos)
      << run.out;
  EXPECT_EQ(run.out.find("REINSTALL"), std::string::npos) << run.out;
  std::string before = life.registryBytes();
  run = life.setup({"/n", "KV7COPY1"});
  ASSERT_EQ(run.exitCode, 0u) << run.out << run.err;
  EXPECT_EQ(life.registryBytes(), before);

  // A copy left by an older package is reinstalled and comes up to the
  // package's version.
  {
    emulated::RegistryFile registry;
    std::string error;
    ASSERT_TRUE(registry.load(m.machine().dir() + "/system.reg", &error)) << error;
    registry.setValue(kCopies + "SITEA\\CurrentVersion",
                      emulated::makeTextValue("Modification", "500"));
    ASSERT_TRUE(registry.save(m.machine().dir() + "/system.reg", &error)) << error;
  }
  EXPECT_EQ(life.inventory()["SITEA"].modification, "500");
  run = life.setup({"/u", "D:\\rsp\\first.rsp", "-showcommand"});
  ASSERT_EQ(run.exitCode, 0u) << run.err;
  EXPECT_NE(run.out.find(" REINSTALLMODE=vomus REINSTALL=ALL "), std::string::npos) << run.out;
  run = life.setup({"/u", "D:\\rsp\\first.rsp"});
  ASSERT_EQ(run.exitCode, 0u) << run.out << run.err;
  copies = life.inventory();
  EXPECT_EQ(copies["SITEA"].modification, modification);
  EXPECT_EQ(copies["SITEA"].code, MachineWithImage::kDriverCode);

  // Further copies fill the slots from 13 down to 1.
  for (uint32_t slot = 13; slot >= 1; --slot) {
    char name[16];
    std::snprintf(name, sizeof name, "COPY%02u", slot);
    run = life.setup({"/n", name, "/p", std::string("C:\\apps\\") + name});
    ASSERT_EQ(run.exitCode, 0u) << name << run.out << run.err;
  }
  copies = life.inventory();
  ASSERT_EQ(copies.size(), 16u);
  std::map<std::string, std::string> byCode;
  for (const auto& [name, copy] : copies) byCode[copy.code] = name;
  EXPECT_EQ(byCode.size(), 16u);
  EXPECT_EQ(byCode[MachineWithImage::kDriverCode], "SITEA");
  EXPECT_EQ(byCode[MachineWithImage::slotCode(15)], "KV7COPY1");
  EXPECT_EQ(byCode[MachineWithImage::slotCode(14)], "KV7COPY2");
  for (uint32_t slot = 1; slot <= 13; ++slot) {
    char name[16];
    std::snprintf(name, sizeof name, "COPY%02u", slot);
    EXPECT_EQ(byCode[MachineWithImage::slotCode(slot)], name);
  }

  // Sixteen copies: the next new copy is refused, and nothing changes. The
  // printed command's run ends with the refusal's code; a real run reports
  // it and ends as a failed launcher.
  before = life.registryBytes();
  run = life.setup({"/o", "-showcommand"});
  EXPECT_EQ(run.exitCode, kMaximumCopiesReached) << run.out << run.err;
  run = life.setup({"/o"});
  EXPECT_EQ(run.exitCode, kLauncherFailed) << run.out << run.err;
  EXPECT_NE(run.out.find("Return code is 8118"), std::string::npos) << run.out;
  EXPECT_NE(run.err.find(m.stagedMessage("ERROR_MAXIMUM_COPIES_REACHED")), std::string::npos)
      << run.err;
  EXPECT_EQ(life.registryBytes(), before);
  EXPECT_EQ(life.inventory().size(), 16u);
}

// The copies that hold the driver, by name, with the product code it is
// installed under, as a deployment tool reads them from kv7inventory --json.
std::map<std::string, std::string> copiesWithTheDriver(MachineWithImage& m) {
  auto run = m.machine().run(
      m.machine().hostPath(std::string(MachineWithImage::kImageDir) + "kv7inventory"), {"--json"});
  EXPECT_EQ(run.exitCode, 0u) << run.err;
  std::map<std::string, std::string> copies;
  const nlohmann::json report = nlohmann::json::parse(run.out, nullptr, false);
  if (!report.is_object() || !report["copies"].is_array()) {
    ADD_FAILURE() << "no inventory: " << run.out;
    return copies;
  }
  for (const auto& copy : report["copies"]) {
    if (!copy["products"].is_array()) continue;
    for (const auto& product : copy["products"]) {
      if (product["shortId"] == "kvdriver" && product["state"] == "installed") {
        copies[copy["name"].get<std::string>()] = product["productCode"].get<std::string>();
      }
    }
  }
  return copies;
}

TEST(LifecycleEndToEnd, ARemovedCopyGoesWholeAndFreesItsSlotForTheNextNewCopy) {
  Lifecycle life;
  MachineWithImage& m = life.m;
  expectReadyToInstall(m);
  if (HasFatalFailure()) return;
  auto msiexec = [&](const std::vector<std::string>& args) {
    return m.machine().run(m.machine().hostPath(kInstaller), args);
  };
  const std::string base = MachineWithImage::kDriverCode;
  const std::string slot15 = MachineWithImage::slotCode(15);
  const std::string slot14 = MachineWithImage::slotCode(14);
  const std::string slot13 = MachineWithImage::slotCode(13);

  // A first copy and three further copies, unattended.
  auto run = life.setup({"/u", "D:\\rsp\\first.rsp"});
  ASSERT_EQ(run.exitCode, 0u) << run.out << run.err;
  for (const char* name : {"SITEB", "SITEC", "SITED", "SITEE"}) {
    m.writeFile(std::string("D:\\rsp\\") + name + ".rsp",
                std::string("COPY_NAME=") + name + "\nFILE=C:\\apps\\" + name + "\n");
  }
  for (const char* name : {"SITEB", "SITEC", "SITED"}) {
    run = life.setup({"/o", "/u", std::string("D:\\rsp\\") + name + ".rsp"});
    ASSERT_EQ(run.exitCode, 0u) << name << run.out << run.err;
  }
  using Copies = std::map<std::string, std::string>;
  EXPECT_EQ(copiesWithTheDriver(m),
            (Copies{{"SITEA", base}, {"SITEB", slot15}, {"SITEC", slot14}, {"SITED", slot13}}));
  // The uninstall key offers the maintenance command, as Windows Installer
  // writes it for a package without ARPNOMODIFY.
  const std::string uninstall =
      "HKEY_LOCAL_MACHINE\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\";
  {
    emulated::RegistryFile registry;
    std::string error;
    ASSERT_TRUE(registry.load(m.machine().dir() + "/system.reg", &error)) << error;
    const emulated::RegistryKey* key = registry.findKey(uninstall + slot15);
    ASSERT_NE(key, nullptr);
    std::string command;
    ASSERT_TRUE(emulated::valueAsText(*key->findValue("UninstallString"), &command));
    EXPECT_EQ(command, "MsiExec.exe /I" + slot15);
  }

  // Slot 14's copy goes by its product code, and only it.
  run = msiexec({"/x", slot14, "/qn"});
  ASSERT_EQ(run.exitCode, 0u) << run.err;
  EXPECT_EQ(copiesWithTheDriver(m),
            (Copies{{"SITEA", base}, {"SITEB", slot15}, {"SITED", slot13}}));
  EXPECT_FALSE(fs::exists(m.machine().hostPath("C:\\apps\\SITEC")));
  EXPECT_EQ(life.copyKeyText("SITEC"), "<no key>");
  for (const char* name : {"SITEA", "SITEB", "SITED"}) {
    EXPECT_TRUE(fs::exists(
        m.machine().hostPath(std::string("C:\\apps\\") + name + "\\cfg\\kv7kvdriver.lvl")))
        << name;
  }

  // The next new copy takes the freed slot.
  run = life.setup({"/o", "/u", "D:\\rsp\\SITEE.rsp", "-showcommand"});
  ASSERT_EQ(run.exitCode, 0u) << run.err;
  EXPECT_NE(run.out.find(" TRANSFORMS=:inst14.mst"), std::string::npos) << run.out;
  run = life.setup({"/o", "/u", "D:\\rsp\\SITEE.rsp"});
  ASSERT_EQ(run.exitCode, 0u) << run.out << run.err;
  EXPECT_EQ(copiesWithTheDriver(m),
            (Copies{{"SITEA", base}, {"SITEB", slot15}, {"SITED", slot13}, {"SITEE", slot14}}));

  // The first copy goes; the further copies stay whole.
  const std::string further =
      life.copyKeyText("SITEB") + life.copyKeyText("SITED") + life.copyKeyText("SITEE");
  run = msiexec({"/x", base, "/qn"});
  ASSERT_EQ(run.exitCode, 0u) << run.err;
  EXPECT_EQ(copiesWithTheDriver(m),
            (Copies{{"SITEB", slot15}, {"SITED", slot13}, {"SITEE", slot14}}));
  EXPECT_EQ(life.copyKeyText("SITEB") + life.copyKeyText("SITED") + life.copyKeyText("SITEE"),
            further);
  EXPECT_FALSE(fs::exists(m.machine().hostPath("C:\\apps\\SITEA")));
  run = msiexec({"/x", base, "/qn"});
  EXPECT_EQ(run.exitCode, 1605u) << run.err;
}

// The registry bytes without the install dates, which two runs on
// different days would write differently.
std::string withoutInstallDates(std::string bytes) {
  for (std::size_t at = bytes.find("\"InstallDate\"="); at != std::string::npos;
       at = bytes.find("\"InstallDate\"=", at + 1)) {
    const std::size_t end = bytes.find('\n', at);
    bytes.erase(at, end == std::string::npos ? std::string::npos : end - at);
  }
  return bytes;
}

// Waits until a temporary file of the registry's atomic write shows in the
// machine directory, at most for the time given.
void waitForTemporaryFile(const std::string& dir, std::chrono::steady_clock::duration limit) {
  const auto deadline = std::chrono::steady_clock::now() + limit;
  while (std::chrono::steady_clock::now() < deadline) {
    for (const auto& entry : fs::directory_iterator(dir)) {
      if (entry.path().filename().string().rfind("system.reg.", 0) == 0) return;
    }
  }
}

// Puts the registry file back as it was, for the next installer to start
// from; nothing else reads it meanwhile.
void restore(const std::string& registryFile, const std::string& bytes) {
  std::ofstream out(registryFile, std::ios::binary | std::ios::trunc);
  out << bytes;
}

TEST(LifecycleEndToEnd, AKilledInstallerLeavesTheRegistryAsBeforeOrAsAfter) {
  MachineWithImage m;
  expectReadyToInstall(m);
  if (HasFatalFailure()) return;
  // A registry large enough that writing it takes a while.
  std::string big = "Windows Registry Editor Version 5.00\r\n\r\n";
  for (int k = 0; k < 100; ++k) {
    big += "[HKEY_LOCAL_MACHINE\\SOFTWARE\\Bulk\\Key" + std::to_string(k) + "]\r\n";
    for (int v = 0; v < 100; ++v) {
      big += "\"Value" + std::to_string(v) + "\"=\"" + std::string(40, 'a' + (v % 26)) + "\"\r\n";
    }
    big += "\r\n";
  }
  m.machine().writeRegistry(big);
  const std::string registryFile = m.machine().dir() + "/system.reg";
  const std::string installer = m.machine().hostPath(kInstaller);
  const std::string marker = m.machine().dir() + "/paused";
  const std::vector<std::string> args = {"/i",
                                         kPackage,
                                         "/qn",
                                         "MSINEWINSTANCE=1",
                                         "TRANSFORMS=:inst15.mst",
                                         "KV7_COPY_NAME=SITEB",
                                         "INSTALLDIR=C:\\apps\\SITEB"};
  const std::vector<std::pair<std::string, std::string>> env = {
      {"KV7_MACHINE", m.machine().dir()}, {msiexec::kPauseBeforeCommitVariable, marker}};
  const std::string before = MachineWithImage::readHost(registryFile);

  // Let go at that point, it commits: the state after, and how long the
  // commit and the installer's end take.
  std::chrono::steady_clock::duration commit;
  {
    msiexec_testing::BackgroundProgram letGo(installer, args, env);
    ASSERT_TRUE(msiexec_testing::waitForFile(marker, std::chrono::seconds(60)));
    const auto start = std::chrono::steady_clock::now();
    fs::remove(marker);
    const int status = letGo.wait();
    commit = std::chrono::steady_clock::now() - start;
    ASSERT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
  }
  const std::string after = withoutInstallDates(MachineWithImage::readHost(registryFile));
  ASSERT_NE(after, withoutInstallDates(before));

  // Stopped at any moment of its commit: as before or as after, never
  // anything between. Half of the kills come at a random moment of the
  // commit, the other half as soon as the new registry file is being
  // written beside the old one.
  std::mt19937 random(20261206);
  int asBefore = 0;
  int asAfter = 0;
  int duringWrite = 0;  // kills that left the installer's temporary file behind
  for (int i = 0; i < 30; ++i) {
    restore(registryFile, before);
    msiexec_testing::BackgroundProgram installation(installer, args, env);
    ASSERT_TRUE(msiexec_testing::waitForFile(marker, std::chrono::seconds(60)));
    const bool atTheWrite = i % 2 == 1;
    const auto delay =
        std::chrono::duration_cast<std::chrono::microseconds>(atTheWrite ? commit / 50 : commit) *
        std::uniform_real_distribution<double>(0.0, 1.0)(random);
    fs::remove(marker);
    if (atTheWrite) waitForTemporaryFile(m.machine().dir(), commit * 4);
    std::this_thread::sleep_for(delay);
    installation.kill();
    installation.wait();

    const std::string now = MachineWithImage::readHost(registryFile);
    emulated::RegistryFile parsed;
    std::string error;
    EXPECT_TRUE(parsed.load(registryFile, &error))
        << "after a kill at " << delay.count() << " us: " << error;
    if (now == before) {
      ++asBefore;
    } else if (withoutInstallDates(now) == after) {
      ++asAfter;
    } else {
      ADD_FAILURE() << "after a kill at " << delay.count()
                    << " us the registry is neither as before nor as after";
    }
    for (const auto& entry : fs::directory_iterator(m.machine().dir())) {
      if (entry.path().filename().string().rfind("system.reg.", 0) == 0) {
        ++duringWrite;
        fs::remove(entry.path());
      }
    }
  }
  std::printf("kills: %d left the registry as before (%d while it was written), %d as after\n",
              asBefore, duringWrite, asAfter);
}

}  // namespace
