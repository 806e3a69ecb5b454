#include "emulation/machine/path_namespace.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <chrono>
#include <climits>
#include <string>
#include <thread>

#include "emulation/machine/host_files.h"
#include "emulation/machine/machine.h"
#include "emulation/testing/test_machine.h"
#include "platform/platform.h"

namespace {

using emulated::TestMachine;

// Runs a test body in a current directory of its choice and goes back.
class InDirectory {
 public:
  explicit InDirectory(const std::string& dir) {
    EXPECT_NE(::getcwd(previous_, sizeof previous_), nullptr);
    EXPECT_EQ(::chdir(dir.c_str()), 0) << dir;
  }
  ~InDirectory() { EXPECT_EQ(::chdir(previous_), 0); }

 private:
  char previous_[PATH_MAX];
};

TEST(EmulatedPaths, TranslateBetweenHostAndWindowsBothWays) {
  TestMachine machine;
  machine.makeDirectory("C:\\Program Files\\QOR");
  machine.makeShare("FileServer", "Images");
  machine.writeFile("\\\\fileserver\\images\\Image\\setup.ini", "x");
  const std::string c = machine.dir() + "/drive_c";
  const std::string share = machine.dir() + "/unc/FileServer/Images";
  struct Case {
    std::string windows;
    std::string host;
  };
  const Case cases[] = {
      {"C:\\", c},
      {"C:\\Program Files\\QOR", c + "/Program Files/QOR"},
      {"D:\\data\\x.txt", machine.dir() + "/drive_d/data/x.txt"},
      {"Z:\\", "/"},
      {"Z:\\tmp\\kv7-anything", "/tmp/kv7-anything"},
      {"\\\\FileServer\\Images\\", share},
      {"\\\\FileServer\\Images\\Image\\setup.ini", share + "/Image/setup.ini"},
  };
  for (const Case& t : cases) {
    EXPECT_EQ(emulated::toHostPath(t.windows), t.host) << t.windows;
    EXPECT_EQ(emulated::toWindowsPath(t.host), t.windows) << t.host;
  }
  // Either separator, doubled separators, dots and a case-blind drive letter.
  EXPECT_EQ(emulated::toHostPath("c:/Program Files//QOR\\.\\..\\QOR"), c + "/Program Files/QOR");
  EXPECT_EQ(emulated::toHostPath("C:\\..\\.."), c);
  EXPECT_EQ(emulated::toWindowsPath(c + "/Program Files/../Windows/"), "C:\\Windows");
  // Server and share found without regard to case, either separator, the
  // doubled separator of a composed path, and dots that stay within the share.
  EXPECT_EQ(emulated::toHostPath("//FILESERVER/images/image//SETUP.INI"),
            share + "/Image/setup.ini");
  EXPECT_EQ(emulated::toHostPath("\\\\fileserver\\images\\..\\..\\Image"), share + "/Image");
  // The folder that holds the shares is no share: its paths are Z: paths.
  EXPECT_EQ(emulated::toWindowsPath(machine.dir() + "/unc/FileServer"),
            emulated::toWindowsPath(machine.dir()) + "\\unc\\FileServer");
  char shortPath[261];
  machine.makeDirectory("\\\\fileserver\\images\\Long Folder Name");
  ASSERT_GT(platform::getShortPathName("\\\\fileserver\\images\\long folder name\\", shortPath,
                                       sizeof shortPath),
            0u);
  EXPECT_STREQ(shortPath, "\\\\fileserver\\images\\LONGFO~1\\");
}

TEST(EmulatedPaths, BelowAShareFilesAreMadeTheServerAndShareAreNot) {
  TestMachine machine;
  machine.makeShare("fileserver", "logs");
  constexpr int kMade = 0, kRefused = -1;
  constexpr uint32_t kNone = 0, kPathNotFound = 3, kBadNetPath = 53, kBadNetName = 67,
                     kInvalidName = 123;
  using Kind = platform::PathKind;
  struct Case {
    std::string path;
    int made;        // makeDirectory's answer
    uint32_t error;  // why it is neither made nor opened as a file; 0: not asked
    Kind kind;       // what the path is afterwards
  };
  const Case cases[] = {
      {"\\\\fileserver\\logs\\sub", kMade, kNone, Kind::kDirectory},
      {"\\\\fileserver\\logs\\sub\\deeper", kMade, kNone, Kind::kDirectory},
      {"\\\\fileserver\\logs", kRefused, kNone, Kind::kDirectory},  // it exists
      {"\\\\fileserver\\newshare", kRefused, kBadNetName, Kind::kMissing},
      {"\\\\fileserver\\newshare\\x", kRefused, kBadNetName, Kind::kMissing},
      {"\\\\newserver\\logs\\x", kRefused, kBadNetPath, Kind::kMissing},
      {"\\\\newserver", kRefused, kInvalidName, Kind::kMissing},
      {"\\\\fileserver", kRefused, kInvalidName, Kind::kMissing},
      {"\\\\fileserver\\", kRefused, kInvalidName, Kind::kMissing},
      {"\\\\", kRefused, kInvalidName, Kind::kMissing},
      {"\\\\.\\pipe\\x", kRefused, kPathNotFound, Kind::kMissing},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(platform::makeDirectory(c.path.c_str()), c.made) << c.path;
    if (c.error != kNone) {
      EXPECT_EQ(platform::getLastError(), c.error) << c.path;
      EXPECT_EQ(platform::openFile(c.path.c_str(), "w"), nullptr) << c.path;
      EXPECT_EQ(platform::getLastError(), c.error) << c.path;
      EXPECT_EQ(errno, c.error == kInvalidName ? EINVAL : ENOENT) << c.path;
    }
    EXPECT_EQ(platform::pathKind(c.path.c_str()), c.kind) << c.path;
  }
  std::FILE* file = platform::openFile("\\\\fileserver\\logs\\sub\\deeper\\f.txt", "w");
  ASSERT_NE(file, nullptr);
  EXPECT_EQ(std::fputs("written", file), 1);
  std::fclose(file);
  EXPECT_EQ(machine.readFile("\\\\FILESERVER\\LOGS\\SUB\\DEEPER\\F.TXT"), "written");
  // Only the folders below the share were made.
  EXPECT_EQ(emulated::listHostDirectory(machine.dir() + "/unc"),
            std::vector<std::string>{"fileserver"});
  EXPECT_EQ(emulated::listHostDirectory(machine.dir() + "/unc/fileserver"),
            std::vector<std::string>{"logs"});
}

TEST(EmulatedPaths, ResolveNamesWithoutRegardToCaseExactSpellingFirst) {
  TestMachine machine;
  machine.writeFile("C:\\Data\\Only.log", "only");
  const std::string data = machine.dir() + "/drive_c/Data/";
  // Three spellings of one name can only be made on the host.
  for (const char* name : {"Report.TXT", "report.txt", "REPORT.txt"}) {
    ASSERT_TRUE(emulated::writeHostFileAtomically(data + name, name, nullptr));
  }
  EXPECT_EQ(emulated::toHostPath("C:\\DATA\\report.txt"), data + "report.txt");
  EXPECT_EQ(emulated::toHostPath("C:\\data\\Report.TXT"), data + "Report.TXT");
  // No exact match: the first in sorted order ("REPORT.txt" < "Report.TXT").
  EXPECT_EQ(emulated::toHostPath("c:\\data\\REPORT.TXT"), data + "REPORT.txt");
  EXPECT_EQ(machine.readFile("c:\\DATA\\ONLY.LOG"), "only");
  // Names that do not exist keep their spelling, below existing ones too.
  EXPECT_EQ(emulated::toHostPath("C:\\data\\New Dir\\File.Txt"), data + "New Dir/File.Txt");
  // A last name loses its trailing dots and blanks, as on Windows.
  EXPECT_EQ(emulated::toHostPath("C:\\data\\only.log. "), data + "Only.log");
}

TEST(EmulatedPaths, SeeWhatThisProgramAndOthersChange) {
  TestMachine machine;
  machine.makeDirectory("C:\\Copy\\cfg");
  const std::string cfg = machine.dir() + "/drive_c/Copy/cfg/";
  EXPECT_EQ(platform::pathKind("C:\\copy\\CFG\\kv7x.lvl"), platform::PathKind::kMissing);
  // A file this program writes is found at once, in its own spelling, and
  // one it removes is gone.
  ASSERT_TRUE(emulated::writeHostFileAtomically(cfg + "KV7X.lvl", "1", nullptr));
  EXPECT_EQ(platform::pathKind("C:\\copy\\CFG\\kv7x.lvl"), platform::PathKind::kRegularFile);
  EXPECT_EQ(emulated::toHostPath("C:\\copy\\CFG\\kv7x.lvl"), cfg + "KV7X.lvl");
  ASSERT_TRUE(emulated::removeHostTree(cfg + "KV7X.lvl"));
  EXPECT_EQ(platform::pathKind("C:\\copy\\CFG\\kv7x.lvl"), platform::PathKind::kMissing);

  // A program this one started (an installer) adds a file while this one
  // looks; once it has ended, the file is found.
  const std::string go = machine.dir() + "/go";
  const std::string command = "\"" + emulated::toWindowsPath(TestMachine::testBinDir()) +
                              "\\emulated_probe.exe\" await-create " + go + " " + cfg + "KV7Y.lvl";
  platform::ProcessInfo child;
  ASSERT_TRUE(platform::createProcess(command.c_str(), nullptr, nullptr, nullptr, &child));
  EXPECT_EQ(platform::pathKind("C:\\copy\\cfg\\kv7y.lvl"), platform::PathKind::kMissing);
  const int flag = ::open(go.c_str(), O_WRONLY | O_CREAT | O_CLOEXEC, 0644);
  ASSERT_GE(flag, 0);
  ::close(flag);
  ASSERT_EQ(platform::waitForSingleObject(child.process, platform::kInfinite), 0u);
  platform::closeHandle(child.process);
  platform::closeHandle(child.thread);
  EXPECT_EQ(platform::pathKind("C:\\copy\\cfg\\kv7y.lvl"), platform::PathKind::kRegularFile);

  // A file that another program adds meanwhile (here: made by the host, which
  // no listing hears of) is found by the next question after the file
  // system's clock has moved on, in a folder that existed and in one that did not.
  EXPECT_EQ(platform::pathKind("C:\\copy\\cfg\\kv7z.lvl"), platform::PathKind::kMissing);
  EXPECT_EQ(platform::pathKind("C:\\copy\\new\\kv7z.lvl"), platform::PathKind::kMissing);
  ASSERT_EQ(::mkdir((machine.dir() + "/drive_c/Copy/new").c_str(), 0777), 0);
  for (const std::string& host : {cfg + "kv7z.lvl", machine.dir() + "/drive_c/Copy/new/kv7z.lvl"}) {
    const int made = ::open(host.c_str(), O_WRONLY | O_CREAT | O_CLOEXEC, 0644);
    ASSERT_GE(made, 0);
    ::close(made);
  }
  std::this_thread::sleep_for(std::chrono::milliseconds(20));
  EXPECT_EQ(platform::pathKind("C:\\copy\\cfg\\kv7z.lvl"), platform::PathKind::kRegularFile);
  EXPECT_EQ(platform::pathKind("C:\\copy\\new\\kv7z.lvl"), platform::PathKind::kRegularFile);
}

TEST(EmulatedPaths, RelativePathsResolveAgainstTheCurrentDirectory) {
  TestMachine machine;
  machine.makeDirectory("C:\\Work\\Sub");
  const std::string c = machine.dir() + "/drive_c";
  {
    InDirectory cwd(c + "/Work");
    char buffer[261];
    ASSERT_EQ(platform::getCurrentDirectory(sizeof buffer, buffer), 7u);
    EXPECT_STREQ(buffer, "C:\\Work");
    EXPECT_EQ(platform::getCurrentDirectory(7, buffer), 8u);  // the size needed
    EXPECT_EQ(emulated::toHostPath("sub\\x.log"), c + "/Work/Sub/x.log");
    EXPECT_EQ(emulated::toHostPath("..\\Windows"), c + "/Windows");
    EXPECT_EQ(emulated::toHostPath("\\Windows"), c + "/Windows");  // root of C:
    EXPECT_EQ(emulated::toHostPath("c:sub"), c + "/Work/Sub");
    EXPECT_EQ(emulated::toHostPath("d:sub"), machine.dir() + "/drive_d/sub");
  }
  {
    machine.makeShare("server", "share");
    machine.makeDirectory("\\\\server\\share\\Work\\Sub");
    const std::string share = machine.dir() + "/unc/server/share";
    InDirectory cwd(share + "/Work");
    char buffer[261];
    platform::getCurrentDirectory(sizeof buffer, buffer);
    EXPECT_STREQ(buffer, "\\\\server\\share\\Work");
    EXPECT_EQ(emulated::toHostPath("sub\\x.log"), share + "/Work/Sub/x.log");
    EXPECT_EQ(emulated::toHostPath("..\\..\\x.log"), share + "/x.log");
    EXPECT_EQ(emulated::toHostPath("\\x.log"), share + "/x.log");  // root of the share
    EXPECT_EQ(emulated::toHostPath("c:sub"), c + "/sub");          // another drive's root
  }
  {
    InDirectory cwd("/tmp");
    char buffer[261];
    platform::getCurrentDirectory(sizeof buffer, buffer);
    EXPECT_STREQ(buffer, "Z:\\tmp");
    // A host path works as it is while the current directory is on Z:.
    EXPECT_EQ(emulated::toHostPath(machine.dir() + "/drive_c/Work"), c + "/Work");
  }
}

TEST(EmulatedPaths, AskAboutFilesAndDirectoriesByWindowsPath) {
  TestMachine machine;
  machine.writeFile("C:\\Dir\\file.txt", "x");
  machine.writeFile("C:\\Dir\\locked.txt", "x");
  ASSERT_EQ(::chmod(machine.hostPath("C:\\Dir\\locked.txt").c_str(), 0444), 0);
  EXPECT_EQ(platform::pathKind("c:\\dir"), platform::PathKind::kDirectory);
  EXPECT_EQ(platform::pathKind("c:\\dir\\FILE.txt"), platform::PathKind::kRegularFile);
  EXPECT_EQ(platform::pathKind("c:\\dir\\none"), platform::PathKind::kMissing);
  EXPECT_EQ(platform::pathKind("Z:\\dev\\null"), platform::PathKind::kOther);
  EXPECT_TRUE(platform::pathAccess("C:\\Dir\\file.txt", platform::kAccessWrite));
  EXPECT_TRUE(platform::pathAccess("C:\\Dir\\locked.txt", platform::kAccessExists));
  EXPECT_FALSE(platform::pathAccess("C:\\Dir\\locked.txt", platform::kAccessWrite));
  ASSERT_EQ(::chmod(machine.hostPath("C:\\Dir").c_str(), 0555), 0);
  EXPECT_TRUE(platform::pathAccess("C:\\Dir", platform::kAccessWrite));  // directories pass
  ASSERT_EQ(::chmod(machine.hostPath("C:\\Dir").c_str(), 0755), 0);
  EXPECT_FALSE(platform::pathAccess("C:\\Dir\\none", platform::kAccessExists));

  EXPECT_EQ(platform::makeDirectory("C:\\Dir\\New"), 0);
  EXPECT_EQ(platform::pathKind("C:\\DIR\\NEW"), platform::PathKind::kDirectory);
  EXPECT_EQ(platform::makeDirectory("C:\\dir\\new"), -1);  // exists already
  EXPECT_EQ(platform::makeDirectory("C:\\Missing\\Deep"), -1);
  EXPECT_EQ(platform::openFile("C:\\Dir", "r"), nullptr);  // no directory opens as a file
}

TEST(EmulatedPaths, TheMachineHasItsStandardPlaces) {
  TestMachine machine;
  char buffer[261];
  ASSERT_EQ(platform::getSystemDirectory(buffer, sizeof buffer), 19u);
  EXPECT_STREQ(buffer, "C:\\Windows\\system32");
  EXPECT_EQ(platform::getSystemDirectory(buffer, 19), 20u);
  EXPECT_EQ(platform::pathKind(buffer), platform::PathKind::kDirectory);

  ASSERT_EQ(platform::documentsFolder(buffer, sizeof buffer), 0);
  EXPECT_EQ(std::string(buffer), "C:\\Users\\" + emulated::hostUserName() + "\\Documents");
  EXPECT_EQ(platform::pathKind(buffer), platform::PathKind::kDirectory);
  EXPECT_EQ(platform::documentsFolder(nullptr, 261), -1);

  const uint32_t length = platform::getModuleFileName(buffer, sizeof buffer);
  ASSERT_GT(length, 0u);
  char exe[PATH_MAX];
  const ssize_t n = ::readlink("/proc/self/exe", exe, sizeof exe);
  ASSERT_GT(n, 0);
  EXPECT_EQ(std::string(buffer, length), emulated::toWindowsPath(std::string(exe, n)));
  EXPECT_EQ(std::string(buffer, 3), "Z:\\");
  char small[5];
  EXPECT_EQ(platform::getModuleFileName(small, sizeof small), 5u);
  EXPECT_EQ(platform::getLastError(), platform::kErrorInsufficientBuffer);
  EXPECT_EQ(std::string(small), std::string(buffer, 4));
}

TEST(EmulatedPaths, NamesWindowsRefusesMakeAndFindNothing) {
  TestMachine machine;
  machine.makeDirectory("C:\\temp");
  constexpr uint32_t kNotFound = 2, kPathNotFound = 3, kInvalidName = 123, kNotADirectory = 267;
  using Kind = platform::PathKind;
  struct Case {
    std::string name;         // below C:\temp
    uint32_t openError;       // 0: opens
    uint32_t directoryError;  // 0: made
    Kind kind;                // afterwards
  };
  const Case cases[] = {
      {"a\"b", kInvalidName, kInvalidName, Kind::kMissing},
      {"a<b", kInvalidName, kInvalidName, Kind::kMissing},
      {"a>b", kInvalidName, kInvalidName, Kind::kMissing},
      {"a|b", kInvalidName, kInvalidName, Kind::kMissing},
      {"a*b", kInvalidName, kInvalidName, Kind::kMissing},
      {"a?b", kInvalidName, kInvalidName, Kind::kMissing},
      {"a\x01b", kInvalidName, kInvalidName, Kind::kMissing},
      {"a\tb", kInvalidName, kInvalidName, Kind::kMissing},
      {"a\"b\\x.log", kInvalidName, kInvalidName, Kind::kMissing},
      {"con\\x.log", kPathNotFound, kPathNotFound, Kind::kMissing},
      {"CON", kNotFound, kNotADirectory, Kind::kMissing},
      {"aux.txt", kNotFound, kNotADirectory, Kind::kMissing},
      {"Prn.a.b", kNotFound, kNotADirectory, Kind::kMissing},
      {"lpt9", kNotFound, kNotADirectory, Kind::kMissing},
      {"com\xB9.log", kNotFound, kNotADirectory, Kind::kMissing},
      {"nul", 0, kNotADirectory, Kind::kOther},
      {"NUL.log", 0, kNotADirectory, Kind::kOther},
      {"nul .txt", 0, kNotADirectory, Kind::kOther},
      // Names that only look like devices are plain names.
      {"com0", 0, 0, Kind::kDirectory},
      {"LPT10", 0, 0, Kind::kDirectory},
      {"console", 0, 0, Kind::kDirectory},
      {"nul-not", 0, 0, Kind::kDirectory},
  };
  for (const Case& c : cases) {
    const std::string path = "C:\\temp\\" + c.name;
    std::FILE* file = platform::openFile(path.c_str(), "w");
    if (c.openError == 0) {
      ASSERT_NE(file, nullptr) << c.name;
      EXPECT_EQ(std::fputs("gone", file), 1) << c.name;
      std::fclose(file);
      std::remove(machine.hostPath(path).c_str());
    } else {
      EXPECT_EQ(file, nullptr) << c.name;
      EXPECT_EQ(platform::getLastError(), c.openError) << c.name;
      EXPECT_EQ(errno, c.openError == kInvalidName ? EINVAL : ENOENT) << c.name;
    }
    EXPECT_EQ(platform::makeDirectory(path.c_str()), c.directoryError == 0 ? 0 : -1) << c.name;
    if (c.directoryError != 0) {
      EXPECT_EQ(platform::getLastError(), c.directoryError) << c.name;
    }
    EXPECT_EQ(platform::pathKind(path.c_str()), c.kind) << c.name;
    EXPECT_EQ(platform::pathAccess(path.c_str(), platform::kAccessExists), c.kind != Kind::kMissing)
        << c.name;
  }
  EXPECT_EQ(emulated::listHostDirectory(machine.hostPath("C:\\temp")),
            (std::vector<std::string>{"LPT10", "com0", "console", "nul-not"}));
}

}  // namespace
