#include "emulation/msiexec/directory_tree.h"

#include <gtest/gtest.h>

namespace msiexec {
namespace {

// The driver package's directory tree.
const std::vector<DirectoryRow> kDriverTree = {
    {"TARGETDIR", "", "SourceDir"},
    {"ProgramFiles64Folder", "TARGETDIR", "."},
    {"QORFOLDER", "ProgramFiles64Folder", "QOR"},
    {"INSTALLDIR", "QORFOLDER", "KV7"},
    {"BINDIR", "INSTALLDIR", "bin"},
    {"CFGDIR", "INSTALLDIR", "CFG~1|cfg:src"},
};

TEST(DirectoryTreeTest, PlacesDirectoriesBelowTheirParentsOrWhereTheirPropertySaysSo) {
  struct Case {
    const char* description;
    std::vector<std::pair<std::string, std::string>> properties;
    std::map<std::string, std::string> expected;
  };
  const Case cases[] = {
      {"without the folder properties everything lies below the root drive",
       {},
       {{"TARGETDIR", "C:\\"},
        {"ProgramFiles64Folder", "C:\\"},
        {"QORFOLDER", "C:\\QOR\\"},
        {"INSTALLDIR", "C:\\QOR\\KV7\\"},
        {"BINDIR", "C:\\QOR\\KV7\\bin\\"},
        {"CFGDIR", "C:\\QOR\\KV7\\cfg\\"}}},
      {"the system folder property places the default install directory",
       {{"ProgramFiles64Folder", "C:\\Program Files\\"}},
       {{"INSTALLDIR", "C:\\Program Files\\QOR\\KV7\\"},
        {"CFGDIR", "C:\\Program Files\\QOR\\KV7\\cfg\\"}}},
      {"INSTALLDIR from the command line moves its subtree, without a trailing backslash",
       {{"ProgramFiles64Folder", "C:\\Program Files\\"}, {"INSTALLDIR", "D:\\apps\\SITE B"}},
       {{"QORFOLDER", "C:\\Program Files\\QOR\\"},
        {"INSTALLDIR", "D:\\apps\\SITE B\\"},
        {"BINDIR", "D:\\apps\\SITE B\\bin\\"}}},
      {"TARGETDIR and ROOTDRIVE place the root",
       {{"ROOTDRIVE", "E:\\"}},
       {{"TARGETDIR", "E:\\"}, {"BINDIR", "E:\\QOR\\KV7\\bin\\"}}},
  };
  for (const Case& c : cases) {
    PropertyTable properties;
    for (const auto& [name, value] : c.properties) properties.set(name, value);
    std::map<std::string, std::string> paths;
    std::string error;
    ASSERT_TRUE(resolveDirectories(kDriverTree, &properties, &paths, &error))
        << c.description << ": " << error;
    for (const auto& [directory, path] : c.expected) {
      EXPECT_EQ(paths[directory], path) << c.description << ": " << directory;
      EXPECT_EQ(properties.get(directory), path) << c.description << ": property " << directory;
    }
  }
}

TEST(DirectoryTreeTest, RefusesBrokenTreesAndOverlongPaths) {
  std::map<std::string, std::string> paths;
  std::string error;
  PropertyTable properties;
  EXPECT_FALSE(resolveDirectories({{"A", "B", "a"}, {"B", "A", "b"}}, &properties, &paths, &error));
  EXPECT_NE(error.find("ancestor"), std::string::npos) << error;
  EXPECT_FALSE(resolveDirectories({{"A", "NOWHERE", "a"}}, &properties, &paths, &error));
  EXPECT_NE(error.find("NOWHERE"), std::string::npos) << error;
  // A chain of parents of any length, each placed by "." where its parent
  // is, ends in a cycle or at the root.
  for (const bool closed : {true, false}) {
    std::vector<DirectoryRow> chain = {{"D0", closed ? "D100000" : "", "."}};
    for (int n = 1; n <= 100000; ++n) {
      chain.push_back({"D" + std::to_string(n), "D" + std::to_string(n - 1), "."});
    }
    EXPECT_EQ(resolveDirectories(chain, &properties, &paths, &error), !closed) << error;
    EXPECT_TRUE(closed ? error.find("ancestor") != std::string::npos : paths["D100000"] == "C:\\")
        << error;
  }

  // 260 characters still fit; 261 do not.
  const std::string fits = "C:\\" + std::string(256, 'x') + "\\";
  ASSERT_EQ(fits.size(), 260u);
  properties.set("INSTALLDIR", fits);
  const std::vector<DirectoryRow> tree = {{"TARGETDIR", "", "SourceDir"},
                                          {"INSTALLDIR", "TARGETDIR", "x"}};
  EXPECT_TRUE(resolveDirectories(tree, &properties, &paths, &error)) << error;
  EXPECT_EQ(paths["INSTALLDIR"], fits);
  std::vector<DirectoryRow> deeper = tree;
  deeper.push_back({"SUB", "INSTALLDIR", "y"});
  EXPECT_FALSE(resolveDirectories(deeper, &properties, &paths, &error));
  EXPECT_NE(error.find("longer than 260"), std::string::npos) << error;
}

TEST(DirectoryTreeTest, TakesTheLongOfTwoNames) {
  EXPECT_EQ(longName("KV7DRV~1.DLL|kv7drv.dll"), "kv7drv.dll");
  EXPECT_EQ(longName("kv7drv.dll"), "kv7drv.dll");
  EXPECT_EQ(withTrailingBackslash("C:\\x"), "C:\\x\\");
  EXPECT_EQ(withTrailingBackslash("C:\\x\\"), "C:\\x\\");
}

}  // namespace
}  // namespace msiexec
