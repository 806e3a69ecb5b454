#include "emulation/msiexec/installer_options.h"

#include <gtest/gtest.h>

#include "emulation/msiexec/installer_codes.h"

namespace msiexec {
namespace {

const char kPackage[] = "D:\\media\\image\\\\QOR Telvar Driver for ODBC, CLI, and .NET.msi";

TEST(InstallerCommandLineTest, TakesTheCommandLinesTheLauncherComposes) {
  // The line as setup writes it: nothing inside the quotes is escaped.
  const std::string line = std::string("C:\\Windows\\system32\\msiexec.exe /i \"") + kPackage +
                           "\" /l*v \"C:\\temp\\drv.log\" KV7_LOG_FILE_PATH=\"C:\\temp\\drv.log\""
                           " RSP_FILE_PATH=\"D:\\rsp\\drv.rsp\" /qn MSINEWINSTANCE=1 "
                           " TRANSFORMS=:inst15.mst;1031.mst KV7_COPY_NAME=\"SITE B\""
                           " COPY_NAME_OVERRIDE=\"\" INSTALLDIR=\"C:\\apps\\SITE B\\\" NOTE=a=b";
  InstallerOptions options;
  std::string error;
  ASSERT_EQ(parseInstallerOptions(splitInstallerCommandLine(line), &options, &error), 0u) << error;
  EXPECT_EQ(options.packagePath, kPackage);
  EXPECT_EQ(options.logPath, "C:\\temp\\drv.log");
  EXPECT_FALSE(options.appendToLog);
  EXPECT_EQ(options.uiLevel, UiLevel::kNone);
  const std::vector<std::pair<std::string, std::string>> expected = {
      {"KV7_LOG_FILE_PATH", "C:\\temp\\drv.log"},
      {"RSP_FILE_PATH", "D:\\rsp\\drv.rsp"},
      {"MSINEWINSTANCE", "1"},
      {"TRANSFORMS", ":inst15.mst;1031.mst"},
      {"KV7_COPY_NAME", "SITE B"},
      {"COPY_NAME_OVERRIDE", ""},
      {"INSTALLDIR", "C:\\apps\\SITE B\\"},
      {"NOTE", "a=b"}};  // an equals sign inside a value is kept
  EXPECT_EQ(options.properties, expected);
}

TEST(InstallerCommandLineTest, SplitsByMsiexecsRulesNotTheRuntimes) {
  struct Case {
    const char* line;
    std::vector<std::string> words;
  };
  const Case cases[] = {
      {R"("C:\Program Files\msiexec.exe" /i a.msi)", {"/i", "a.msi"}},
      {R"(msiexec  X=C:\dir\ Y="C:\dir\"  Z=a\"b)", {"X=C:\\dir\\", "Y=C:\\dir\\", "Z=a\\b"}},
      {R"(msiexec P="Embedded ""Quotes"" White Space" E="" F="""")",
       {"P=Embedded \"Quotes\" White Space", "E=", "F=\""}},
      {"msiexec\tA=\"x y\"z\t\"B=1\"", {"A=x yz", "B=1"}},
      {R"(msiexec A="open to the end)", {"A=open to the end"}},
      {"msiexec", {}},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(splitInstallerCommandLine(c.line), c.words) << c.line;
  }
}

TEST(InstallerCommandLineTest, ReadsSwitchesInAnyCaseEitherPrefixAndAttachedProductCodes) {
  const std::string code = "{5C1E7A20-3B9D-4F62-A8E0-0E4B7C93F2A6}";
  struct Case {
    std::vector<std::string> args;
    UiLevel ui;
    bool append;
    bool uninstall;
    std::string package;
    std::string productCode;
  };
  const UiLevel full = UiLevel::kFull;
  const UiLevel none = UiLevel::kNone;
  const Case cases[] = {
      {{"/i", "p.msi"}, full, false, false, "p.msi", ""},
      {{"-I", "p.msi", "/QB"}, UiLevel::kBasic, false, false, "p.msi", ""},
      {{"/package", "p.msi", "/q"}, none, false, false, "p.msi", ""},
      {{"/i", "p.msi", "/qb-!", "/L*V+", "x.log"}, UiLevel::kBasic, true, false, "p.msi", ""},
      {{"/i", "p.msi", "-qr", "/lv", "x.log"}, UiLevel::kReduced, false, false, "p.msi", ""},
      // The removals and product codes of deployment tools, and the
      // uninstall key's commands.
      {{"/x", "a.msi", "/qn"}, none, false, true, "a.msi", ""},
      {{"-X", code, "/qn"}, none, false, true, "", code},
      {{"/uninstall", code}, full, false, true, "", code},
      {{"/X" + code}, full, false, true, "", code},
      {{"/I" + code, "/qn", "REMOVE=ALL"}, none, false, false, "", code},
      {{"/i", code}, full, false, false, "", code},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.args[0] + " " + c.args.back());
    InstallerOptions options;
    std::string error;
    ASSERT_EQ(parseInstallerOptions(c.args, &options, &error), 0u) << error;
    EXPECT_EQ(options.uiLevel, c.ui);
    EXPECT_EQ(options.appendToLog, c.append);
    EXPECT_EQ(options.uninstall, c.uninstall);
    EXPECT_EQ(options.packagePath, c.package);
    EXPECT_EQ(options.productCode, c.productCode);
  }
}

TEST(InstallerCommandLineTest, RefusesEverythingElseAsABadCommandLine) {
  const std::vector<std::vector<std::string>> refused = {
      {},                               // nothing to install
      {"/qn"},                          // no package
      {"/i"},                           // package missing
      {"/i", ""},                       // empty package
      {"/i", "a.msi", "/i", "b.msi"},   // two packages
      {"/i", "a.msi", "/x", "b.msi"},   // two things to act on
      {"/x", "{not-a-product-code}"},   // braces make a product code
      {"/X{5C1E7A20-3B9D-4F62-A8D1}"},  // a code cut short
      {"/xa.msi"},                      // only a product code follows the switch at once
      {"/f", "a.msi"},                  // repair switch
      {"/i", "a.msi", "/l*v"},          // log file missing
      {"/i", "a.msi", "/lz", "x.log"},  // unknown log mode
      {"/i", "a.msi", "/qx"},           // unknown UI level
      {"/i", "a.msi", "/qn", "/qb"},    // two UI levels
      {"/i", "a.msi", "stray"},         // neither switch nor property
      {"/i", "a.msi", "=value"},        // property without a name
      {"/i", "a.msi", "1ABC=x"},        // name starting with a digit
      {"/i", "a.msi", "BAD-NAME=x"},    // character a name cannot hold
      {"/i", "a.msi", "/norestart"},    // not among the supported switches
  };
  for (const auto& args : refused) {
    InstallerOptions options;
    std::string error;
    EXPECT_EQ(parseInstallerOptions(args, &options, &error), kInvalidCommandLine)
        << (args.empty() ? "(none)" : args.back());
    EXPECT_FALSE(error.empty());
  }
}

}  // namespace
}  // namespace msiexec
