// The installer program itself, run on throwaway machines: what it leaves
// in the registry and on the disks, and its exit codes.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <map>
#include <sstream>

#include "emulation/machine/machine.h"
#include "emulation/machine/registry_file.h"
#include "emulation/machine/registry_view.h"
#include "emulation/msiexec/background_program.h"
#include "emulation/msiexec/component_registrations.h"
#include "emulation/msiexec/installer_package.h"
#include "emulation/msiexec/installer_run.h"
#include "emulation/testing/test_disk.h"
#include "emulation/testing/test_machine.h"
#include "installed/product_catalogue.h"
#include "installed/test_registry.h"
#include "platform/platform.h"

namespace {

using emulated::TestMachine;
using msiexec::packedGuid;

const std::string kPackage = "D:\\media\\image\\QOR Telvar Driver for ODBC, CLI, and .NET.msi";
const std::string kBaseCode = "{5C1E7A20-3B9D-4F62-A8D1-0E4B7C93F2A6}";
const std::string kUninstall =
    "HKEY_LOCAL_MACHINE\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\";
const std::string kCopies = "HKEY_LOCAL_MACHINE\\SOFTWARE\\QOR\\KV7\\InstalledCopies\\";
const std::string kSaved = "HKEY_LOCAL_MACHINE\\SOFTWARE\\QOR\\KV7\\DriverPackages\\";

using emulated::readHost;

// A value as text, "<missing>" when there is none.
std::string valueIn(const emulated::RegistryFile& file, const std::string& key,
                    const std::string& name) {
  const emulated::RegistryKey* k = file.findKey(key);
  const emulated::RegistryValue* v = k ? k->findValue(name) : nullptr;
  std::string text;
  if (v == nullptr || !emulated::valueAsText(*v, &text)) return "<missing>";
  return text;
}

// Quiet arguments that install a new instance in slot 15, then the given ones.
std::vector<std::string> newInstance(const std::vector<std::string>& given = {}) {
  std::vector<std::string> args = {"/i", kPackage, "/qn", "MSINEWINSTANCE=1",
                                   "TRANSFORMS=:inst15.mst"};
  args.insert(args.end(), given.begin(), given.end());
  return args;
}

std::string slotCode(uint32_t slot) {
  char code[kProductCodeSize] = {};
  MakeInstanceProductCode(kBaseCode.c_str(), slot, code);
  return code;
}

// The package's version fields, which the copy's version values repeat.
std::vector<std::string> packageVersion() {
  std::string error;
  auto package = msiexec::InstallerPackage::open(
      TestMachine::imageDir() + "/QOR Telvar Driver for ODBC, CLI, and .NET.msi", &error);
  msiexec::PackageTables tables;
  if (!package || !package->readTables(&tables, &error)) return {};
  std::vector<std::string> fields;
  std::stringstream version(tables.properties["ProductVersion"]);
  for (std::string field; std::getline(version, field, '.');) fields.push_back(field);
  return fields;
}

// A machine with the driver package in its image directory.
class InstallerMachine {
 public:
  InstallerMachine() {
    machine.writeFile(kPackage, readHost(TestMachine::imageDir() +
                                         "/QOR Telvar Driver for ODBC, CLI, and .NET.msi"));
  }

  TestMachine::ProgramRun msiexec(
      const std::vector<std::string>& args,
      const std::vector<std::pair<std::string, std::string>>& env = {}) {
    return machine.run(program(), args, env);
  }
  static std::string program() { return TestMachine::testBinDir() + "/msiexec"; }

  // Installs a copy of the driver package under the base code.
  void installCopy(const std::string& name, const std::string& dir) {
    auto run = msiexec({"/i", kPackage, "/qn", "KV7_COPY_NAME=" + name, "INSTALLDIR=" + dir});
    ASSERT_EQ(run.exitCode, 0u) << run.out << run.err;
  }

  std::string registryBytes() const { return readHost(machine.dir() + "/system.reg"); }

  std::unique_ptr<emulated::RegistryFile> registry() const {
    auto file = std::make_unique<emulated::RegistryFile>();
    std::string error;
    EXPECT_TRUE(file->load(machine.dir() + "/system.reg", &error)) << error;
    return file;
  }

  std::string value(const std::string& key, const std::string& name) const {
    return valueIn(*registry(), key, name);
  }

  void setValue(const std::string& key, const std::string& name, const std::string& text) {
    auto file = registry();
    file->setValue(key, emulated::makeTextValue(name, text));
    std::string error;
    ASSERT_TRUE(file->save(machine.dir() + "/system.reg", &error)) << error;
  }

  // Puts a file of the staged image beside the package.
  void copyFromImage(const std::string& name) {
    machine.writeFile("D:\\media\\image\\" + name, readHost(TestMachine::imageDir() + "/" + name));
  }

  bool exists(const std::string& windowsPath) const {
    return std::filesystem::exists(machine.hostPath(windowsPath));
  }

  TestMachine machine;
};

// Every key and value of before is in after, unchanged.
void expectKept(const emulated::RegistryKey& before, const emulated::RegistryKey& after,
                const std::string& path) {
  struct Pair {
    const emulated::RegistryKey* before;
    const emulated::RegistryKey* after;
    std::string path;
  };
  std::vector<Pair> pending = {{&before, &after, path}};
  while (!pending.empty()) {
    const Pair next = pending.back();
    pending.pop_back();
    for (const emulated::RegistryValue& value : next.before->values()) {
      const emulated::RegistryValue* kept = next.after->findValue(value.name);
      ASSERT_NE(kept, nullptr) << next.path << " lost \"" << value.name << "\"";
      EXPECT_EQ(kept->type, value.type) << next.path << " " << value.name;
      EXPECT_EQ(kept->data, value.data) << next.path << " " << value.name;
    }
    for (const emulated::RegistryKey* child : next.before->subkeys()) {
      const emulated::RegistryKey* keptChild = next.after->findSubkey(child->name());
      ASSERT_NE(keptChild, nullptr) << next.path << " lost its subkey " << child->name();
      pending.push_back({child, keptChild, next.path + "\\" + child->name()});
    }
  }
}

TEST(MsiexecProgramTest, AFirstCopyIsRegisteredWhereTheLauncherLooksForIt) {
  InstallerMachine m;
  m.machine.makeDirectory("C:\\temp");
  auto run =
      m.msiexec({"/i", kPackage, "/l*v", "C:\\temp\\drv.log", "KV7_LOG_FILE_PATH=C:\\temp\\drv.log",
                 "/qn", "KV7_COPY_NAME=SITEA", "INSTALLDIR=C:\\apps\\SITEA"});
  ASSERT_EQ(run.exitCode, 0u) << run.out << run.err;
  EXPECT_EQ(run.out, "");  // quiet

  const std::string product = kUninstall + kBaseCode;
  EXPECT_EQ(m.value(product, "WindowsInstaller"), "1");
  EXPECT_EQ(m.value(product, "InstallLocation"), "C:\\apps\\SITEA\\");
  const std::string localPackage = m.value(product, "LocalPackage");
  EXPECT_EQ(localPackage.rfind("C:\\Windows\\Installer\\", 0), 0u) << localPackage;
  EXPECT_EQ(m.machine.readFile(localPackage), m.machine.readFile(kPackage));

  // The copy's version values and the product's are compared with Windows
  // Installer's by setup_parity_wine_test.sh.
  EXPECT_EQ(m.value(kCopies + "SITEA", "KV7 Path Name"), "C:\\apps\\SITEA");

  const std::string sources = KV7_PACKAGE_FILES_DIR;
  EXPECT_EQ(m.machine.readFile("C:\\apps\\SITEA\\cfg\\kv7kvdriver.lvl"),
            readHost(sources + "/cfg/kv7kvdriver.lvl"));
  EXPECT_EQ(m.machine.readFile("C:\\apps\\SITEA\\bin\\kv7drv.dll"),
            readHost(sources + "/bin/kv7drv.dll"));

  const std::string log = m.machine.readFile("C:\\temp\\drv.log");
  for (const char* expected :
       {"=== Verbose logging started", "Property(S): KV7_COPY_NAME = SITEA",
        "Property(S): INSTALLDIR = C:\\apps\\SITEA\\", "Action start", "InstallFiles",
        "WriteRegistryValues", "Installation success or error status: 0.", "=== Logging stopped"}) {
    EXPECT_NE(log.find(expected), std::string::npos) << expected << "\n" << log;
  }
}

// Where a new copy goes is ANewCopyTakesAFreeNameAndADirectoryOfItsOwn's.
TEST(MsiexecProgramTest, ARunThatIsNotQuietShowsItsProgress) {
  InstallerMachine m;
  auto run = m.msiexec({"/i", kPackage, "MSINEWINSTANCE=1", "TRANSFORMS=:inst15.mst"});
  ASSERT_EQ(run.exitCode, 0u) << run.out << run.err;
  EXPECT_NE(run.out.find("Installing QOR Telvar Driver Package"), std::string::npos) << run.out;
  EXPECT_NE(run.out.find("] InstallFiles"), std::string::npos) << run.out;
  EXPECT_NE(run.out.find("Installation completed successfully."), std::string::npos) << run.out;
}

TEST(MsiexecProgramTest, AnInstanceKeepsTheTransformsItWasInstalledWith) {
  InstallerMachine m;
  m.copyFromImage("1031.mst");
  auto run = m.msiexec(newInstance(
      {"TRANSFORMS=:inst15.mst;1031.mst", "KV7_COPY_NAME=SITEB", "INSTALLDIR=C:\\apps\\SITEB"}));
  ASSERT_EQ(run.exitCode, 0u) << run.err;
  const std::string product = kUninstall + slotCode(15);
  EXPECT_EQ(m.value(kUninstall + kBaseCode, "WindowsInstaller"), "<missing>");
  EXPECT_EQ(m.value(product, "Language"), "1031");
  EXPECT_EQ(m.value(product, "DisplayName"), "QOR Telvar Treiberpaket");
  // The language transform is kept with the product, as Windows keeps it.
  const std::string registered = m.value(product, "Transforms");
  const std::string prefix = ":inst15.mst;C:\\Windows\\Installer\\";
  ASSERT_EQ(registered.rfind(prefix, 0), 0u) << registered;
  const std::string cached = registered.substr(registered.find(';') + 1);
  EXPECT_EQ(m.machine.readFile(cached), m.machine.readFile("D:\\media\\image\\1031.mst"));

  // A reinstall of the instance applies the same transforms again, from the
  // package and the kept copy, whatever TRANSFORMS says, and its log says so.
  std::filesystem::remove(m.machine.hostPath("D:\\media\\image\\1031.mst"));
  m.setValue(product, "DisplayName", "changed");
  m.machine.makeDirectory("C:\\temp");
  run = m.msiexec({"/i", kPackage, "/qn", "/l*v", "C:\\temp\\re.log",
                   "MSIINSTANCEGUID=" + slotCode(15), "REINSTALL=ALL", "REINSTALLMODE=vomus",
                   "TRANSFORMS=1031.mst", "KV7_COPY_NAME=SITEB", "INSTALLDIR=C:\\apps\\SITEB"});
  EXPECT_EQ(run.exitCode, 0u) << run.err;
  EXPECT_EQ(m.value(product, "DisplayName"), "QOR Telvar Treiberpaket");
  EXPECT_EQ(m.value(product, "Transforms"), registered);
  const std::string log = m.machine.readFile("C:\\temp\\re.log");
  EXPECT_NE(log.find("Transform " + cached + " applied"), std::string::npos) << log;
  EXPECT_NE(log.find("TRANSFORMS=1031.mst from the command line is not applied"), std::string::npos)
      << log;
}

TEST(MsiexecProgramTest, ANewCopyTakesAFreeNameAndADirectoryOfItsOwn) {
  using test_registry::copy;
  using test_registry::key;
  using test_registry::value;
  std::string firstFifteen;
  for (int n = 1; n <= 15; ++n) {
    firstFifteen += copy("KV7COPY" + std::to_string(n), "C:\\c" + std::to_string(n));
  }
  struct Case {
    const char* what;
    std::string registry;  // what other copies left
    std::vector<std::string> given;
    std::string name;  // the new copy's
    std::string dir;
  };
  const std::string programFiles = "C:\\Program Files\\QOR\\";
  const Case cases[] = {
      {"the lowest free name",
       copy("KV7COPY1", "C:\\c1") + copy("KV7COPY3", "C:\\c3"),
       {},
       "KV7COPY2",
       programFiles + "KV7COPY2"},
      {"a copy with only its version",
       key("SOFTWARE\\QOR\\KV7\\InstalledCopies\\KV7COPY1\\CurrentVersion") +
           value("Version", "11"),
       {},
       "KV7COPY2",
       programFiles + "KV7COPY2"},
      {"a longer name is another name",
       copy("KV7COPY10", "C:\\c10") + copy("KV7COPY1X", "C:\\x"),
       {},
       "KV7COPY1",
       programFiles + "KV7COPY1"},
      {"a name in other letters is the same name",
       copy("kv7copy1", "C:\\c1"),
       {},
       "KV7COPY2",
       programFiles + "KV7COPY2"},
      {"the last default name", firstFifteen, {}, "KV7COPY16", programFiles + "KV7COPY16"},
      {"a name given without a directory",
       copy("KV7COPY1", "C:\\c1"),
       {"KV7_COPY_NAME=SITEB"},
       "SITEB",
       programFiles + "SITEB"},
      {"a directory given without a name",
       copy("KV7COPY1", "C:\\c1"),
       {"INSTALLDIR=D:\\apps\\X"},
       "KV7COPY2",
       "D:\\apps\\X"},
      {"an empty name, as a response file gives",
       "",
       {"KV7_COPY_NAME="},
       "KV7COPY1",
       programFiles + "KV7COPY1"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    InstallerMachine m;
    m.machine.writeRegistry(c.registry);
    auto before = m.registry();
    auto run = m.msiexec(newInstance(c.given));
    ASSERT_EQ(run.exitCode, 0u) << run.err;
    EXPECT_EQ(m.value(kCopies + c.name, "KV7 Path Name"), c.dir);
    EXPECT_EQ(m.value(kSaved + slotCode(15), "Copy Name"), c.name);
    EXPECT_EQ(m.value(kUninstall + slotCode(15), "InstallLocation"), c.dir + "\\");
    EXPECT_TRUE(m.exists(c.dir + "\\cfg\\kv7kvdriver.lvl"));
    expectKept(before->top(), m.registry()->top(), "");
  }
}

TEST(MsiexecProgramTest, ANewCopyThatWouldGoOverAnotherIsRefusedBeforeAnyChange) {
  std::string allSixteen;
  for (int n = 1; n <= 16; ++n) {
    allSixteen += test_registry::copy("KV7COPY" + std::to_string(n), "C:\\c" + std::to_string(n));
  }
  struct Case {
    std::string registry;
    std::vector<std::string> given;
    std::string message;
  };
  const Case cases[] = {
      {allSixteen, {}, "Every copy name from KV7COPY1 to KV7COPY16 is used by an installed copy"},
      {"", {"KV7_COPY_NAME=.."}, "The copy name \"..\" cannot name a directory"},
      {"", {"KV7_COPY_NAME=."}, "The copy name \".\" cannot name a directory"},
      {"", {"KV7_COPY_NAME=SITE\\B"}, "The copy name \"SITE\\B\" cannot name a directory"},
      {"", {"KV7_COPY_NAME=../KV7COPY1"}, "cannot name a directory"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.message);
    InstallerMachine m;
    m.machine.writeRegistry(c.registry);
    m.machine.makeDirectory("C:\\temp");
    const std::string before = m.registryBytes();
    std::vector<std::string> given = {"/l*v", "C:\\temp\\new.log"};
    given.insert(given.end(), c.given.begin(), c.given.end());
    EXPECT_EQ(m.msiexec(newInstance(given)).exitCode, 1603u);
    EXPECT_EQ(m.registryBytes(), before);
    EXPECT_FALSE(m.exists("C:\\Program Files\\QOR"));
    EXPECT_NE(m.machine.readFile("C:\\temp\\new.log").find(c.message), std::string::npos);
  }

  // A copy given its name and directory is installed beside all sixteen.
  InstallerMachine m;
  m.machine.writeRegistry(allSixteen);
  auto run = m.msiexec(newInstance({"KV7_COPY_NAME=SITEQ", "INSTALLDIR=C:\\apps\\SITEQ"}));
  EXPECT_EQ(run.exitCode, 0u) << run.err;
  EXPECT_EQ(m.value(kCopies + "SITEQ", "KV7 Path Name"), "C:\\apps\\SITEQ");
}

TEST(MsiexecProgramTest, AReinstallRewritesWhatItsModeAsksFor) {
  struct Case {
    const char* mode;
    bool levelFileBack;  // a deleted file
    bool libraryBack;    // a changed file
    bool versionBack;    // the copy's registry values
  };
  const Case cases[] = {
      {"vomus", true, true, true},
      {"p", true, false, false},
      {"amus", true, true, true},
      {"m", false, false, true},
  };
  const std::string sources = KV7_PACKAGE_FILES_DIR;
  const std::string library = readHost(sources + "/bin/kv7drv.dll");
  const std::vector<std::string> version = packageVersion();
  ASSERT_EQ(version.size(), 3u);
  for (const Case& c : cases) {
    InstallerMachine m;
    m.installCopy("SITEA", "C:\\apps\\SITEA");
    m.setValue(kCopies + "SITEA\\CurrentVersion", "Modification", "500");
    std::filesystem::remove(m.machine.hostPath("C:\\apps\\SITEA\\cfg\\kv7kvdriver.lvl"));
    m.machine.writeFile("C:\\apps\\SITEA\\bin\\kv7drv.dll", "changed by the user");

    // Neither copy name nor directory: the package finds its own again.
    auto run =
        m.msiexec({"/i", kPackage, "/qn", "REINSTALLMODE=" + std::string(c.mode), "REINSTALL=ALL"});
    ASSERT_EQ(run.exitCode, 0u) << c.mode << run.err;
    EXPECT_EQ(m.exists("C:\\apps\\SITEA\\cfg\\kv7kvdriver.lvl"), c.levelFileBack) << c.mode;
    EXPECT_EQ(m.machine.readFile("C:\\apps\\SITEA\\bin\\kv7drv.dll") == library, c.libraryBack)
        << c.mode;
    EXPECT_EQ(m.value(kCopies + "SITEA\\CurrentVersion", "Modification"),
              c.versionBack ? version[2] : "500")
        << c.mode;
    EXPECT_EQ(m.value(kCopies + "KV7COPY1", "KV7 Path Name"), "<missing>") << c.mode;
  }
}

TEST(MsiexecProgramTest, MaintenanceWithoutAReinstallChangesNothing) {
  InstallerMachine m;
  m.installCopy("SITEA", "C:\\apps\\SITEA");
  ASSERT_EQ(m.msiexec(newInstance({"KV7_COPY_NAME=SITEB", "INSTALLDIR=C:\\apps\\SITEB"})).exitCode,
            0u);
  m.setValue(kCopies + "SITEB\\CurrentVersion", "Modification", "500");
  std::filesystem::remove(m.machine.hostPath("C:\\apps\\SITEB\\cfg\\kv7kvdriver.lvl"));
  const std::string before = m.registryBytes();

  for (const std::vector<std::string>& args :
       {std::vector<std::string>{"/i", kPackage, "/qn", "KV7_COPY_NAME=SITEA",
                                 "INSTALLDIR=C:\\apps\\SITEA"},
        std::vector<std::string>{"/i", kPackage, "/qn", "MSIINSTANCEGUID=" + slotCode(15),
                                 "KV7_COPY_NAME=SITEB", "INSTALLDIR=C:\\apps\\SITEB"},
        // The uninstall key's ModifyPath, through the instance's cached package.
        std::vector<std::string>{"/I" + slotCode(15), "/qn"}}) {
    auto run = m.msiexec(args);
    EXPECT_EQ(run.exitCode, 0u) << args[0] << " " << args.back() << run.err;
    EXPECT_EQ(m.registryBytes(), before) << args[0] << " " << args.back();
  }
  EXPECT_FALSE(m.exists("C:\\apps\\SITEB\\cfg\\kv7kvdriver.lvl"));
}

TEST(MsiexecProgramTest, FailsWithWindowsInstallersExitCodesAndChangesNothing) {
  InstallerMachine m;
  m.machine.writeFile("D:\\media\\image\\notapackage.msi", "just text");
  m.machine.writeFile("D:\\media\\image\\broken.mst", "x");
  m.copyFromImage("1033.mst");
  // Packages that libmsi would read beyond its buffers or through null
  // pointers: a stream of the compound file cannot be read; a string of the
  // pool is longer than any; a table's columns are numbered wrongly.
  for (const std::string damaged : {"damaged_streams", "damaged_string_pool", "damaged_columns"}) {
    m.machine.writeFile("D:\\media\\image\\" + damaged + ".msi",
                        readHost(std::string(KV7_TEST_DATA_DIR) + "/" + damaged + ".msi"));
  }
  const std::string before = m.registryBytes();
  struct Case {
    std::vector<std::string> args;
    uint32_t code;
  };
  const Case cases[] = {
      {{"/x", kPackage}, 1605},
      {{"/x", slotCode(3), "/qn"}, 1605},
      {{"/i", slotCode(3), "/qn"}, 1605},
      {{"/x", kPackage, "/qn", "MSINEWINSTANCE=1", "TRANSFORMS=:inst3.mst"}, 1639},
      // Removing only some features is not supported; removing all of a
      // product that is not installed installs nothing.
      {{"/i", kPackage, "/qn", "REMOVE=NoSuchFeature"}, 1603},
      {{"/i", kPackage, "/qn", "REMOVE=ALL"}, 0},
      {{"/i", kPackage, "/qn", "/norestart"}, 1639},
      {{"/i", "D:\\media\\image\\missing.msi", "/qn"}, 1619},
      {{"/i", "D:\\media\\image\\notapackage.msi", "/qn"}, 1619},
      {{"/i", "D:\\media\\image\\damaged_streams.msi", "/qn"}, 1619},
      {{"/i", "D:\\media\\image\\damaged_string_pool.msi", "/qn"}, 1619},
      {{"/i", "D:\\media\\image\\damaged_columns.msi", "/qn"}, 1619},
      {{"/i", kPackage, "/qn", "TRANSFORMS=1033.mst;1031.mst"}, 1624},
      {{"/i", kPackage, "/qn", "TRANSFORMS=broken.mst"}, 1624},
      {{"/i", kPackage, "/qn", "TRANSFORMS=" + kPackage}, 1624},
      {{"/i", kPackage, "/qn", "TRANSFORMS=:lang.mst"}, 1624},
      {{"/i", kPackage, "/qn", "TRANSFORMS=:inst16.mst", "MSINEWINSTANCE=1"}, 1624},
      {{"/i", kPackage, "/qn", "MSINEWINSTANCE=1"}, 1639},
      {{"/i", kPackage, "/qn", "MSINEWINSTANCE=1", "TRANSFORMS=:inst3.mst",
        "MSIINSTANCEGUID=" + slotCode(3)},
       1639},
      {{"/i", kPackage, "/qn", "MSIINSTANCEGUID=not-a-product-code"}, 1639},
      {{"/i", kPackage, "/qn", "MSIINSTANCEGUID=" + slotCode(3)}, 1605},
      {{"/i", kPackage, "/qn", "/l*v", "C:\\no\\such\\dir\\drv.log"}, 1622},
      // A registry key name may have 255 characters, not more.
      {{"/i", kPackage, "/qn", "KV7_COPY_NAME=" + std::string(256, 'N')}, 1603},
  };
  for (const Case& c : cases) {
    auto run = m.msiexec(c.args);
    EXPECT_EQ(run.exitCode, c.code) << c.args.back() << "\n" << run.err;
    EXPECT_EQ(m.registryBytes(), before) << c.args.back();
  }

  // A failure is logged with its code.
  m.machine.makeDirectory("C:\\temp");
  EXPECT_EQ(m.msiexec({"/i", kPackage, "/qn", "/l*v", "C:\\temp\\fail.log", "TRANSFORMS=1031.mst"})
                .exitCode,
            1624u);
  EXPECT_NE(m.machine.readFile("C:\\temp\\fail.log").find("error status: 1624."),
            std::string::npos);

  // A language transform that reads is accepted; a new instance that is
  // already installed is refused.
  const std::vector<std::string> slot15 = newInstance(
      {"TRANSFORMS=:inst15.mst;1033.mst", "KV7_COPY_NAME=SITEB", "INSTALLDIR=C:\\apps\\B"});
  EXPECT_EQ(m.msiexec(slot15).exitCode, 0u);
  const std::string installed = m.registryBytes();
  EXPECT_EQ(m.msiexec(slot15).exitCode, 1638u);
  EXPECT_EQ(m.registryBytes(), installed);

  // The longest key name Windows allows is taken.
  const std::string longest(255, 'N');
  EXPECT_EQ(m.msiexec({"/i", kPackage, "/qn", "KV7_COPY_NAME=" + longest, "INSTALLDIR=C:\\apps\\N"})
                .exitCode,
            0u);
  EXPECT_EQ(m.value(kCopies + longest, "KV7 Path Name"), "C:\\apps\\N");
}

// The sample package with its first stream claiming more bytes than the
// whole file holds: libgsf reads past it, and complains as it does.
std::string packageWithAnOversizedStream() {
  std::string bytes = readHost(KV7_SAMPLE_PACKAGE);
  auto number = [&bytes](std::size_t at, int size) {
    uint32_t value = 0;
    for (int i = size - 1; i >= 0; --i) value = value * 256 + static_cast<uint8_t>(bytes[at + i]);
    return value;
  };
  if (bytes.size() < 512) return bytes;
  const std::size_t sectorSize = std::size_t{1} << number(30, 2);
  const std::size_t entries = (number(48, 4) + 1) * sectorSize;
  const std::size_t sizeField = entries + 128 + 120;  // the second entry's stream size
  if (sizeField + 4 > bytes.size()) return bytes;
  bytes.replace(sizeField, 4, "\xFF\xFF\xFF\x7F");
  return bytes;
}

TEST(MsiexecProgramTest, TheLibrariesComplaintsGoToTheLogNotToStandardError) {
  InstallerMachine m;
  m.machine.writeFile("D:\\sample\\oversized.msi", packageWithAnOversizedStream());
  m.machine.makeDirectory("C:\\temp");
  auto run = m.msiexec({"/i", "D:\\sample\\oversized.msi", "/qn", "/l*v", "C:\\temp\\x.log"});
  EXPECT_EQ(run.exitCode, 1619u) << run.err;
  EXPECT_EQ(run.err.find("CRITICAL"), std::string::npos) << run.err;
  EXPECT_NE(run.err.find("msiexec: the package D:\\sample\\oversized.msi cannot be opened"),
            std::string::npos)
      << run.err;
  EXPECT_NE(m.machine.readFile("C:\\temp\\x.log").find("libgsf:msole-CRITICAL: ole_dirent_new"),
            std::string::npos);
  // Without a log they are not shown at all.
  run = m.msiexec({"/i", "D:\\sample\\oversized.msi", "/qn"});
  EXPECT_EQ(run.exitCode, 1619u);
  EXPECT_EQ(run.err.find("CRITICAL"), std::string::npos) << run.err;
}

TEST(MsiexecProgramTest, ASecondInstallationWaitsForNoneAndGets1618) {
  InstallerMachine m;
  const std::string marker = m.machine.dir() + "/paused";
  msiexec_testing::BackgroundProgram first(
      InstallerMachine::program(),
      {"/i", kPackage, "/qn", "KV7_COPY_NAME=SITEA", "INSTALLDIR=C:\\apps\\SITEA"},
      {{"KV7_MACHINE", m.machine.dir()}, {msiexec::kPauseBeforeCommitVariable, marker}});
  ASSERT_TRUE(first.started());
  ASSERT_TRUE(msiexec_testing::waitForFile(marker, std::chrono::seconds(60)));

  const std::string before = m.registryBytes();
  auto second = m.msiexec(newInstance({"KV7_COPY_NAME=SITEB", "INSTALLDIR=C:\\apps\\SITEB"}));
  EXPECT_EQ(second.exitCode, 1618u) << second.err;
  EXPECT_EQ(m.registryBytes(), before);

  std::filesystem::remove(marker);  // lets the first one commit
  const int status = first.wait();
  ASSERT_TRUE(WIFEXITED(status));
  EXPECT_EQ(WEXITSTATUS(status), 0);
  EXPECT_EQ(m.value(kCopies + "SITEA", "KV7 Path Name"), "C:\\apps\\SITEA");
}

// The kinds of journal that are set aside are RollbackJournalTest's; here,
// that the installer says so and goes on.
TEST(MsiexecProgramTest, AJournalItCannotReadIsSetAsideAndTheInstallationGoesOn) {
  InstallerMachine m;
  const std::string journal = m.machine.dir() + "/msiexec-rollback.journal";
  m.machine.writeFile("Z:" + journal, "new\t/etc/passwd\n");
  m.machine.makeDirectory("C:\\temp");
  auto run = m.msiexec({"/i", kPackage, "/qn", "/l*v", "C:\\temp\\x.log", "KV7_COPY_NAME=SITEA",
                        "INSTALLDIR=C:\\apps\\SITEA"});
  EXPECT_EQ(run.exitCode, 0u) << run.err;
  EXPECT_NE(run.err.find("msiexec: warning: the rollback journal " + journal +
                         " cannot be read as this installer's own"),
            std::string::npos)
      << run.err;
  EXPECT_TRUE(std::filesystem::exists(journal + ".unreadable-1"));
  EXPECT_FALSE(std::filesystem::exists(journal));
  const std::string log = m.machine.readFile("C:\\temp\\x.log");
  EXPECT_NE(log.find("it is kept as " + journal + ".unreadable-1"), std::string::npos) << log;
  EXPECT_EQ(m.value(kCopies + "SITEA", "KV7 Path Name"), "C:\\apps\\SITEA");
}

// The files and folders under a directory, with the contents of the small
// files (the programs linked in are left out).
std::map<std::string, std::string> filesUnder(const TestMachine& machine, const std::string& dir) {
  std::map<std::string, std::string> files;
  const std::string host = machine.hostPath(dir);
  for (const auto& entry : std::filesystem::recursive_directory_iterator(host)) {
    if (entry.is_symlink()) continue;
    const bool small = entry.is_regular_file() && entry.file_size() < 256;
    files[entry.path().string().substr(host.size())] = entry.is_directory() ? "<dir>"
                                                       : small ? readHost(entry.path().string())
                                                               : "<large>";
  }
  return files;
}

// A failed first installation is ReliabilityEndToEnd's, on a full disk.
TEST(MsiexecProgramTest, AFailedReinstallationTakesBackWhatItPlacedAndReplaced) {
  InstallerMachine m;
  m.installCopy("SITEA", "C:\\apps\\SITEA");
  m.machine.writeFile("C:\\apps\\SITEA\\bin\\kv7drv.dll", "changed by the user");
  std::filesystem::remove(m.machine.hostPath("C:\\apps\\SITEA\\cfg\\kv7kvdriver.lvl"));
  std::filesystem::remove_all(m.machine.hostPath("C:\\Windows\\Installer"));
  // The package cache cannot be made: the installation fails after its
  // files are written.
  m.machine.writeFile("C:\\Windows\\Installer", "a file where a folder must go");
  const std::string before = m.registryBytes();
  const auto files = filesUnder(m.machine, "C:\\");
  auto run = m.msiexec({"/i", kPackage, "/qn", "REINSTALLMODE=vomus", "REINSTALL=ALL"});
  EXPECT_EQ(run.exitCode, 1603u) << run.err;
  EXPECT_EQ(m.registryBytes(), before);
  EXPECT_EQ(filesUnder(m.machine, "C:\\"), files);
  EXPECT_FALSE(std::filesystem::exists(m.machine.dir() + "/msiexec-rollback.journal"));
}

TEST(MsiexecProgramTest, ALogThatCannotBeWrittenFailsTheInstallationWith1622) {
  emulated::TestDisk disk(1024 * 1024);
  if (!disk.mounted()) GTEST_SKIP() << disk.reason();
  InstallerMachine m;
  const std::string before = m.registryBytes();
  const std::string log = emulated::toWindowsPath(disk.dir() + "/drv.log");
  // Full from the start, and full in the middle of the installation.
  for (std::size_t pages : {0, 3}) {
    SCOPED_TRACE(std::to_string(pages) + " pages free");
    std::filesystem::remove(disk.dir() + "/drv.log");
    ASSERT_TRUE(disk.fillLeaving(pages));
    auto run = m.msiexec(
        {"/i", kPackage, "/qn", "/l*v", log, "KV7_COPY_NAME=SITEA", "INSTALLDIR=C:\\apps\\SITEA"});
    EXPECT_EQ(run.exitCode, 1622u) << run.err;
    EXPECT_NE(run.err.find("cannot write the log file"), std::string::npos) << run.err;
    EXPECT_EQ(m.registryBytes(), before);
    EXPECT_FALSE(m.exists("C:\\apps\\SITEA"));
  }
}

TEST(MsiexecProgramTest, InstallsOtherPackagesByTheirOwnTables) {
  const std::string sample = "D:\\sample\\sample.msi";
  const std::string redirected = "HKEY_LOCAL_MACHINE\\SOFTWARE\\WOW6432Node\\Sample";
  const std::string app = "C:\\Program Files (x86)\\Sample\\";
  const std::string files = KV7_SAMPLE_FILES_DIR;
  // Installs the sample with the given properties; loads the registry after.
  auto install = [&](TestMachine& machine, const std::vector<std::string>& properties,
                     emulated::RegistryFile* registry) {
    machine.writeFile(sample, readHost(KV7_SAMPLE_PACKAGE));
    std::vector<std::string> args = {"/i", sample, "/qn"};
    args.insert(args.end(), properties.begin(), properties.end());
    auto run = machine.run(InstallerMachine::program(), args);
    EXPECT_EQ(run.exitCode, 0u) << run.err;
    std::string error;
    EXPECT_TRUE(registry->load(machine.dir() + "/system.reg", &error)) << error;
  };
  {
    TestMachine machine;
    emulated::RegistryFile registry;
    install(machine, {}, &registry);
    EXPECT_EQ(machine.readFile(app + "main.txt"), readHost(files + "/main.txt"));
    EXPECT_FALSE(std::filesystem::exists(machine.hostPath(app + "extra\\extra.txt")));
    EXPECT_TRUE(std::filesystem::is_directory(machine.hostPath(app + "data")));
    // A 32-bit component's keys go to the redirected view, a 64-bit one's not.
    EXPECT_EQ(valueIn(registry, redirected, "Count"), "42");
    ASSERT_NE(registry.findKey(redirected), nullptr);
    EXPECT_EQ(registry.findKey(redirected)->findValue("Count")->type, platform::kRegDword);
    EXPECT_EQ(valueIn(registry, redirected, "Edition"), "standard");
    EXPECT_EQ(valueIn(registry, redirected, "Main"), app + "main.txt");
    EXPECT_EQ(registry.findKey("HKEY_LOCAL_MACHINE\\SOFTWARE\\Sample"), nullptr);
    EXPECT_EQ(valueIn(registry, "HKEY_LOCAL_MACHINE\\SOFTWARE\\Sample64", "Data"), app + "data\\");
    EXPECT_EQ(
        valueIn(registry, kUninstall + "{0A7F3C21-5B64-4E2D-9C18-7D3E6B5A4F90}", "DisplayName"),
        "Sample Package");
  }
  {
    TestMachine machine;
    emulated::RegistryFile registry;
    install(machine, {"INSTALLLEVEL=2", "LICENSE=pro"}, &registry);
    EXPECT_EQ(machine.readFile(app + "extra\\extra.txt"), readHost(files + "/extra.txt"));
    EXPECT_EQ(valueIn(registry, redirected, "Edition"), "professional");
  }
}

// A driver package on a share, with its transform beside it, is
// InstallerRunTest's; here, a package whose cabinet is a file beside it.
TEST(MsiexecProgramTest, InstallsFromAShareAndRecordsTheShareAsTheSource) {
  const std::string source = "\\\\fileserver\\images\\sample\\";
  TestMachine machine;
  machine.makeShare("fileserver", "images");
  std::string cabinet, error;
  auto embedded = msiexec::InstallerPackage::open(KV7_SAMPLE_PACKAGE, &error);
  ASSERT_TRUE(embedded && embedded->readStream("sample.cab", &cabinet, &error)) << error;
  machine.writeFile(source + "sample.msi", readHost(KV7_SAMPLE_EXTERNAL_PACKAGE));
  machine.writeFile(source + "sample.cab", cabinet);

  auto run = machine.run(InstallerMachine::program(), {"/i", source + "sample.msi", "/qn"});
  ASSERT_EQ(run.exitCode, 0u) << run.out << run.err;
  emulated::RegistryFile registry;
  ASSERT_TRUE(registry.load(machine.dir() + "/system.reg", &error)) << error;
  EXPECT_EQ(
      valueIn(registry, kUninstall + "{0A7F3C21-5B64-4E2D-9C18-7D3E6B5A4F90}", "InstallSource"),
      source);
  EXPECT_EQ(machine.readFile("C:\\Program Files (x86)\\Sample\\main.txt"),
            readHost(std::string(KV7_SAMPLE_FILES_DIR) + "/main.txt"));
}

// The copies installed for the removal tests: the first under the base code
// in C:\apps\SITEA, further ones in the given slots, each in C:\apps\S<slot>.
void installCopies(InstallerMachine& m, const std::vector<uint32_t>& slots,
                   const std::string& baseTransforms = "") {
  m.installCopy("SITEA", "C:\\apps\\SITEA");
  for (uint32_t slot : slots) {
    const std::string name = "S" + std::to_string(slot);
    auto run = m.msiexec(newInstance({"TRANSFORMS=:inst" + std::to_string(slot) + ".mst" +
                                          (baseTransforms.empty() ? "" : ";" + baseTransforms),
                                      "KV7_COPY_NAME=" + name, "INSTALLDIR=C:\\apps\\" + name}));
    ASSERT_EQ(run.exitCode, 0u) << name << run.err;
  }
}

// The subkeys of the component registrations, by packed component code, each
// with its clients' packed product codes.
std::map<std::string, std::vector<std::string>> componentClients(const InstallerMachine& m) {
  std::map<std::string, std::vector<std::string>> clients;
  auto registry = m.registry();
  const emulated::RegistryKey* components = registry->findKey(msiexec::kComponentsKey);
  if (components == nullptr) return clients;
  for (const emulated::RegistryKey* component : components->subkeys()) {
    for (const emulated::RegistryValue& value : component->values()) {
      clients[component->name()].push_back(value.name);
    }
  }
  return clients;
}

// The entries of filesUnder that do not lie below the given directory.
std::map<std::string, std::string> without(std::map<std::string, std::string> files,
                                           const std::string& prefix) {
  for (auto it = files.begin(); it != files.end();) {
    it = it->first.rfind(prefix, 0) == 0 ? files.erase(it) : std::next(it);
  }
  return files;
}

TEST(MsiexecProgramTest, ARemovalTakesItsOwnCopyAndRegistrationAndLeavesTheOthersWhole) {
  InstallerMachine m;
  installCopies(m, {15, 14, 13});
  if (HasFatalFailure()) return;
  const std::string slot14 = slotCode(14);
  const std::string product14 = kUninstall + slot14;
  // Each copy registers its components under codes of its own.
  auto clients = componentClients(m);
  EXPECT_EQ(clients.size(), 12u);
  for (const auto& [component, users] : clients) EXPECT_EQ(users.size(), 1u) << component;
  const std::string libraryOf14 = std::string(msiexec::kComponentsKey) + "\\" +
                                  packedGuid("{7E0B4C52-1A63-4D8E-9F27-3C6A5B1D8E40}");
  EXPECT_EQ(m.value(libraryOf14, packedGuid(kBaseCode)), "C:\\apps\\SITEA\\bin\\kv7drv.dll");
  EXPECT_EQ(m.value(product14, "Transforms"), ":inst14.mst");

  auto before = m.registry();
  const auto files = filesUnder(m.machine, "C:\\apps");
  const std::string cachedPackage = m.value(product14, "LocalPackage");
  ASSERT_TRUE(m.exists(cachedPackage));
  m.machine.makeDirectory("C:\\temp");
  auto run = m.msiexec({"/x", slot14, "/qn", "/l*v", "C:\\temp\\x14.log"});
  ASSERT_EQ(run.exitCode, 0u) << run.err;
  EXPECT_EQ(run.out, "");

  // Its files and folders, its copy's keys, its own registry values, its
  // registration and its cached package are gone, and nothing else.
  EXPECT_EQ(filesUnder(m.machine, "C:\\apps"), without(files, "/S14"));
  EXPECT_FALSE(m.exists("C:\\apps\\S14"));
  EXPECT_FALSE(m.exists(cachedPackage));
  auto after = m.registry();
  EXPECT_EQ(after->findKey(kCopies + "S14"), nullptr);
  EXPECT_EQ(after->findKey(kSaved + slot14), nullptr);
  EXPECT_EQ(after->findKey(product14), nullptr);
  expectKept(after->top(), before->top(), "");
  for (const std::string copy : {"SITEA", "S15", "S13"}) {
    expectKept(*before->findKey(kCopies + copy), *after->findKey(kCopies + copy), copy);
  }
  for (const std::string& code : {kBaseCode, slotCode(15), slotCode(13)}) {
    expectKept(*before->findKey(kUninstall + code), *after->findKey(kUninstall + code), code);
    expectKept(*before->findKey(kSaved + code), *after->findKey(kSaved + code), code);
  }
  clients = componentClients(m);
  EXPECT_EQ(clients.size(), 9u);
  for (const auto& [component, users] : clients) {
    EXPECT_NE(users.front(), packedGuid(slot14)) << component;
  }
  const std::string log = m.machine.readFile("C:\\temp\\x14.log");
  for (const char* expected :
       {"Removing", "RemoveFiles", "Removal completed successfully.",
        "Windows Installer removed the product.", "Removal success or error status: 0."}) {
    EXPECT_NE(log.find(expected), std::string::npos) << expected << "\n" << log;
  }
}

TEST(MsiexecProgramTest, AnInstanceIsRemovedHoweverItIsNamed) {
  const std::string slot15 = slotCode(15);
  const std::vector<std::vector<std::string>> removals = {
      {"/x", kPackage, "/qn", "TRANSFORMS=:inst15.mst"},
      {"/x", kPackage, "/qn", "MSIINSTANCEGUID=" + slot15},
      {"/i", kPackage, "/qn", "MSIINSTANCEGUID=" + slot15, "REMOVE=ALL"},
      // Every feature named is the whole product.
      {"/I" + slot15, "/qn", "REMOVE=Driver"},
  };
  for (const auto& removal : removals) {
    SCOPED_TRACE(removal[0] + " " + removal.back());
    InstallerMachine m;
    m.copyFromImage("1031.mst");
    installCopies(m, {15}, "1031.mst");
    if (HasFatalFailure()) return;
    // The instance's transforms: from the package and a kept copy of the
    // language transform, which goes with the product.
    const std::string transforms = m.value(kUninstall + slot15, "Transforms");
    const std::string kept = transforms.substr(transforms.find(';') + 1);
    ASSERT_TRUE(m.exists(kept)) << transforms;
    const auto files = filesUnder(m.machine, "C:\\apps");

    auto run = m.msiexec(removal);
    ASSERT_EQ(run.exitCode, 0u) << run.err;
    EXPECT_EQ(filesUnder(m.machine, "C:\\apps"), without(files, "/S15"));
    EXPECT_EQ(m.value(kUninstall + slot15, "WindowsInstaller"), "<missing>");
    EXPECT_EQ(m.value(kCopies + "S15", "KV7 Path Name"), "<missing>");
    EXPECT_FALSE(m.exists(kept));
    EXPECT_FALSE(m.exists(kept.substr(0, kept.rfind('\\'))));
    EXPECT_EQ(m.value(kUninstall + kBaseCode, "InstallLocation"), "C:\\apps\\SITEA\\");
  }
}

TEST(MsiexecProgramTest, ComponentsThatAnotherProductUsesStayWithIt) {
  // A transform that changes only the product code: its instance shares
  // every component code with the first copy, as a package built without
  // instance component codes would.
  InstallerMachine m;
  const std::string changes = m.machine.dir() + "/shared.txt";
  std::ofstream(changes) << "change\tProperty\tProductCode\tValue={5C1E7A20-3B9D-4F62-A8D2-"
                            "0E4B7C93F2A6}\n";
  auto made = m.machine.run(TestMachine::testBinDir() + "/transform_writer",
                            {"changes", m.machine.hostPath(kPackage), changes, "1252",
                             m.machine.hostPath("D:\\media\\image\\shared.mst")});
  ASSERT_EQ(made.exitCode, 0u) << made.err;
  const std::string shared = "{5C1E7A20-3B9D-4F62-A8D2-0E4B7C93F2A6}";

  m.installCopy("SITEA", "C:\\apps\\SITEA");
  auto run = m.msiexec({"/i", kPackage, "/qn", "MSINEWINSTANCE=1", "TRANSFORMS=shared.mst",
                        "KV7_COPY_NAME=SITEB", "INSTALLDIR=C:\\apps\\SITEB"});
  ASSERT_EQ(run.exitCode, 0u) << run.err;
  auto clients = componentClients(m);
  EXPECT_EQ(clients.size(), 3u);
  for (const auto& [component, users] : clients) EXPECT_EQ(users.size(), 2u) << component;
  const auto files = filesUnder(m.machine, "C:\\apps");

  // The instance goes as a product; its components, files and registry
  // values stay, since the first copy still uses every one of them.
  run = m.msiexec({"/x", shared, "/qn"});
  ASSERT_EQ(run.exitCode, 0u) << run.err;
  EXPECT_EQ(filesUnder(m.machine, "C:\\apps"), files);
  EXPECT_EQ(m.value(kUninstall + shared, "WindowsInstaller"), "<missing>");
  EXPECT_EQ(m.value(kCopies + "SITEB", "KV7 Path Name"), "C:\\apps\\SITEB");
  clients = componentClients(m);
  EXPECT_EQ(clients.size(), 3u);
  for (const auto& [component, users] : clients) {
    EXPECT_EQ(users, std::vector<std::string>{packedGuid(kBaseCode)}) << component;
  }

  // With the first copy the components' last client goes: the files at the
  // first copy's place go, those left at the instance's stay behind.
  run = m.msiexec({"/x", kBaseCode, "/qn"});
  ASSERT_EQ(run.exitCode, 0u) << run.err;
  EXPECT_EQ(filesUnder(m.machine, "C:\\apps"), without(files, "/SITEA"));
  EXPECT_TRUE(componentClients(m).empty());
}

TEST(MsiexecProgramTest, ARemovalThatFailsLeavesTheProductAsItWas) {
  InstallerMachine m;
  installCopies(m, {15});
  if (HasFatalFailure()) return;
  const std::string before = m.registryBytes();

  // A folder stands where the second file is: the removal fails there, and
  // the first file, already taken away, is put back.
  const std::string level = "C:\\apps\\S15\\cfg\\kv7kvdriver.lvl";
  m.machine.removePath(level);
  m.machine.writeFile(level + "\\in the way", "x");
  const auto obstructed = filesUnder(m.machine, "C:\\");
  m.machine.makeDirectory("D:\\logs");
  auto run = m.msiexec({"/x", slotCode(15), "/qn", "/l*v", "D:\\logs\\x.log"});
  EXPECT_EQ(run.exitCode, 1603u) << run.err;
  const std::string log = m.machine.readFile("D:\\logs\\x.log");
  EXPECT_NE(log.find("a directory, not a file"), std::string::npos) << log;
  EXPECT_NE(log.find("Rollback: restored C:\\apps\\S15\\bin\\kv7drv.dll"), std::string::npos)
      << log;
  EXPECT_EQ(filesUnder(m.machine, "C:\\"), obstructed);
  EXPECT_EQ(m.registryBytes(), before);
  EXPECT_FALSE(std::filesystem::exists(m.machine.dir() + "/msiexec-rollback.journal"));
}

TEST(MsiexecProgramTest, TheUninstallKeysCommandsFollowTheArpProperties) {
  // As Wine's installer writes them (DriverPackage.Wine): the maintenance
  // command in both, unless the product may not be modified (the removal
  // command and NoModify) or not be removed (NoRemove and no command at all).
  struct Case {
    std::vector<std::string> properties;
    const char* command;  // "/I", "/X" or none
    const char* noModify;
    const char* noRemove;
    const char* noRepair;
  };
  const char* none = "<missing>";
  const Case cases[] = {
      {{}, "/I", none, none, none},
      {{"ARPNOMODIFY=1"}, "/X", "1", none, none},
      {{"ARPNOREPAIR=1"}, "/I", none, none, "1"},
      {{"ARPNOREMOVE=1"}, nullptr, none, "1", none},
      {{"ARPNOREMOVE=1", "ARPNOMODIFY=1", "ARPNOREPAIR=1"}, nullptr, none, "1", none},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.properties.empty() ? "none" : c.properties.front());
    InstallerMachine m;
    std::vector<std::string> args = {"/i", kPackage, "/qn", "KV7_COPY_NAME=SITEA",
                                     "INSTALLDIR=C:\\apps\\SITEA"};
    args.insert(args.end(), c.properties.begin(), c.properties.end());
    ASSERT_EQ(m.msiexec(args).exitCode, 0u);
    const std::string key = kUninstall + kBaseCode;
    const std::string command =
        c.command ? std::string("MsiExec.exe ") + c.command + kBaseCode : std::string(none);
    EXPECT_EQ(m.value(key, "UninstallString"), command);
    EXPECT_EQ(m.value(key, "ModifyPath"), command);
    EXPECT_EQ(m.value(key, "NoModify"), c.noModify);
    EXPECT_EQ(m.value(key, "NoRemove"), c.noRemove);
    EXPECT_EQ(m.value(key, "NoRepair"), c.noRepair);
    if (c.command) {
      const auto registry = m.registry();
      const emulated::RegistryValue* value = registry->findKey(key)->findValue("UninstallString");
      EXPECT_EQ(value->type, platform::kRegExpandSz);
    }
  }

  // A reinstall without the properties writes the maintenance command; a
  // flag written before stays.
  InstallerMachine m;
  ASSERT_EQ(m.msiexec({"/i", kPackage, "/qn", "ARPNOREMOVE=1", "KV7_COPY_NAME=SITEA",
                       "INSTALLDIR=C:\\apps\\SITEA"})
                .exitCode,
            0u);
  ASSERT_EQ(m.msiexec({"/i", kPackage, "/qn", "REINSTALL=ALL", "REINSTALLMODE=vomus"}).exitCode,
            0u);
  const std::string key = kUninstall + kBaseCode;
  EXPECT_EQ(m.value(key, "UninstallString"), "MsiExec.exe /I" + kBaseCode);
  EXPECT_EQ(m.value(key, "NoRemove"), "1");
}

}  // namespace
