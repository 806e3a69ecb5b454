// The whole install lifecycle as a new user meets it: setup runs the
// machine's Windows Installer, which installs for real, and each run of setup
// decides from what the runs before it left behind. kv7inventory shows the
// copies after each step.
#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <map>
#include <string>
#include <vector>

#include <nlohmann/json.hpp>

#include "emulation/machine/registry_file.h"
#include "emulation/machine/registry_view.h"
#include "tests/machine_with_image.h"

namespace {

namespace fs = std::filesystem;

constexpr uint32_t kMaximumCopiesReached = 8118;
constexpr uint32_t kLauncherFailed = 8115;
const std::string kInstaller = "C:\\Windows\\system32\\msiexec.exe";
const std::string kCopies = "HKEY_LOCAL_MACHINE\\SOFTWARE\\QOR\\KV7\\InstalledCopies\\";

// A copy as kv7inventory shows it.
struct ShownCopy {
  std::string path;
  std::string modification;
  std::string code;  // the product code of the driver installed in the copy
};

// The copies by name, as a deployment tool reads them from kv7inventory --json.
std::map<std::string, ShownCopy> inventory(MachineWithImage& m) {
  auto run = m.machine().run(
      m.machine().hostPath(std::string(MachineWithImage::kImageDir) + "kv7inventory"), {"--json"});
  EXPECT_EQ(run.exitCode, 0u) << run.err;
  std::map<std::string, ShownCopy> copies;
  const nlohmann::json report = nlohmann::json::parse(run.out, nullptr, false);
  if (!report.is_object() || !report.contains("copies") || !report["copies"].is_array()) {
    ADD_FAILURE() << "no inventory: " << run.out;
    return copies;
  }
  for (const auto& copy : report["copies"]) {
    ShownCopy& shown = copies[copy.value("name", "")];
    shown.path = copy.value("path", "");
    if (copy.contains("version") && copy["version"].is_object()) {
      shown.modification = std::to_string(copy["version"].value("modification", -1));
    }
    if (!copy.contains("products") || !copy["products"].is_array()) continue;
    for (const auto& product : copy["products"]) {
      if (product.value("shortId", "") == "kvdriver" && product.value("state", "") == "installed") {
        shown.code = product.value("productCode", "");
      }
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

  std::map<std::string, ShownCopy> inventory() { return ::inventory(m); }

  std::string registryBytes() { return emulated::readHost(m.machine().dir() + "/system.reg"); }

  MachineWithImage m;
  int runs = 0;
};

TEST(LifecycleEndToEnd, FromTheFirstCopyToTheLastFreeSlot) {
  Lifecycle life;
  MachineWithImage& m = life.m;
  m.expectReadyToInstall();
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

  // The next one, again without name or directory, takes the next slot down
  // and a copy of its own: the one before keeps its name, directory and
  // product code.
  run = life.setup({"/o"});
  ASSERT_EQ(run.exitCode, 0u) << run.out << run.err;
  copies = life.inventory();
  ASSERT_EQ(copies.size(), 3u);
  EXPECT_EQ(copies["KV7COPY2"].path, programFiles + "KV7COPY2");
  EXPECT_EQ(copies["KV7COPY2"].code, MachineWithImage::slotCode(14));
  EXPECT_EQ(copies["KV7COPY2"].modification, modification);
  EXPECT_EQ(copies["KV7COPY1"].path, programFiles + "KV7COPY1");
  EXPECT_EQ(copies["KV7COPY1"].code, MachineWithImage::slotCode(15));

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

  // A copy left by an older package is reinstalled.
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
// installed under.
std::map<std::string, std::string> copiesWithTheDriver(MachineWithImage& m) {
  std::map<std::string, std::string> copies;
  for (const auto& [name, copy] : inventory(m)) {
    if (!copy.code.empty()) copies[name] = copy.code;
  }
  return copies;
}

TEST(LifecycleEndToEnd, ARemovedCopyGoesWholeAndFreesItsSlotForTheNextNewCopy) {
  Lifecycle life;
  MachineWithImage& m = life.m;
  m.expectReadyToInstall();
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

  // Slot 14's copy goes by its product code, and only it.
  run = msiexec({"/x", slot14, "/qn"});
  ASSERT_EQ(run.exitCode, 0u) << run.err;
  EXPECT_EQ(copiesWithTheDriver(m),
            (Copies{{"SITEA", base}, {"SITEB", slot15}, {"SITED", slot13}}));
  EXPECT_FALSE(fs::exists(m.machine().hostPath("C:\\apps\\SITEC")));

  // The next new copy takes the freed slot.
  run = life.setup({"/o", "/u", "D:\\rsp\\SITEE.rsp", "-showcommand"});
  ASSERT_EQ(run.exitCode, 0u) << run.err;
  EXPECT_NE(run.out.find(" TRANSFORMS=:inst14.mst"), std::string::npos) << run.out;
  run = life.setup({"/o", "/u", "D:\\rsp\\SITEE.rsp"});
  ASSERT_EQ(run.exitCode, 0u) << run.out << run.err;
  EXPECT_EQ(copiesWithTheDriver(m),
            (Copies{{"SITEA", base}, {"SITEB", slot15}, {"SITED", slot13}, {"SITEE", slot14}}));
}

}  // namespace
