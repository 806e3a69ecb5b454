#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <string>
#include <vector>

#include "emulation/testing/test_machine.h"

namespace {

class RspcheckProgram : public ::testing::Test {
 protected:
  emulated::TestMachine::ProgramRun rspcheck(
      const std::vector<std::string>& args,
      const std::vector<std::pair<std::string, std::string>>& env = {}) {
    return machine.run(emulated::TestMachine::imageDir() + "/rspcheck", args, env);
  }

  emulated::TestMachine machine;
};

const char* kFile =
    "PROD = QOR_TELVAR_DRIVER\n"
    "INSTALL_TYPE = TYPICAL\n"
    "LIC_AGREEMENT = maybe\n"
    "NOT_A_KEYWORD = 1\n";

TEST_F(RspcheckProgram, ReportsProblemsAndExitsWithTheLoadStatus) {
  machine.writeFile("C:\\rsp\\drv.rsp", kFile);
  auto run = rspcheck({"C:\\rsp\\drv.rsp"});
  EXPECT_EQ(run.exitCode, 1u);
  EXPECT_EQ(run.out,
            "C:\\rsp\\drv.rsp:3: error: LIC_AGREEMENT = 'maybe': the value does not match the "
            "rule \"0 1 YES NO ON OFF Y N TRUE FALSE T F ACCEPT DECLINE\"\n"
            "C:\\rsp\\drv.rsp:4: error: unknown keyword 'NOT_A_KEYWORD' with value '1'\n"
            "C:\\rsp\\drv.rsp: 4 entries, 2 in error, 2 problems; load status 1 (content "
            "invalid)\n");
  EXPECT_EQ(run.err, "");

  machine.writeFile("C:\\rsp\\good.rsp", "PROD = ALL\nLIC_AGREEMENT = ACCEPT\n");
  auto good = rspcheck({"C:\\rsp\\good.rsp"});
  EXPECT_EQ(good.exitCode, 0u);
  EXPECT_EQ(good.out, "C:\\rsp\\good.rsp: 2 entries, 0 in error, 0 problems; load status 0 (ok)\n");
}

TEST_F(RspcheckProgram, AppliesProgNameAsSetupDoes) {
  machine.writeFile("C:\\rsp\\drv.rsp", "PROD = ALL\n");
  auto excluded = rspcheck({"--tsv", "C:\\rsp\\drv.rsp"}, {{"PROGNAME", "kv7isetup"}});
  EXPECT_EQ(excluded.out, "1\t1\t-1\tPROD\tALL\nstatus\t1\n");
  auto plain = rspcheck({"C:\\rsp\\drv.rsp"}, {{"PROGNAME", "kv7isetup"}});
  EXPECT_NE(plain.out.find("drv.rsp:1: error: keyword 'PROD' is not valid for the program "
                           "'kv7isetup' that PROGNAME names\n"),
            std::string::npos)
      << plain.out;
  auto other = rspcheck({"--tsv", "C:\\rsp\\drv.rsp"}, {{"PROGNAME", "setup"}});
  EXPECT_EQ(other.out, "1\t0\t17\tPROD\tALL\nstatus\t0\n");
}

TEST_F(RspcheckProgram, MissingFileGivesStatusTwo) {
  auto run = rspcheck({"C:\\rsp\\none.rsp"});
  EXPECT_EQ(run.exitCode, 2u);
  EXPECT_EQ(run.out,
            "C:\\rsp\\none.rsp: error: the file cannot be opened for reading\n"
            "C:\\rsp\\none.rsp: 0 entries, 0 in error, 1 problem; load status 2 (cannot open)\n");
  auto table = rspcheck({"--tsv", "C:\\rsp\\none.rsp"});
  EXPECT_EQ(table.exitCode, 2u);
  EXPECT_EQ(table.out, "status\t2\n");
  EXPECT_NE(table.err.find("load status 2"), std::string::npos);
}

// Warnings leave the exit code alone unless --werror is given; with --tsv
// they go to standard error, so that the table stays as it is.
TEST_F(RspcheckProgram, WarningsChangeTheExitCodeOnlyWithWerror) {
  machine.writeFile("C:\\rsp\\trap.rsp", "PROD=ALL\nCOMP=x # note\n");
  auto plain = rspcheck({"C:\\rsp\\trap.rsp"});
  EXPECT_EQ(plain.exitCode, 0u);
  EXPECT_NE(plain.out.find("C:\\rsp\\trap.rsp:2: warning: '#' after a value starts no comment"),
            std::string::npos)
      << plain.out;
  EXPECT_EQ(rspcheck({"--werror", "C:\\rsp\\trap.rsp"}).exitCode, 1u);
  auto table = rspcheck({"--tsv", "--werror", "C:\\rsp\\trap.rsp"});
  EXPECT_EQ(table.exitCode, 1u);
  EXPECT_EQ(table.out, "1\t0\t17\tPROD\tALL\n2\t0\t25\tCOMP\tx # note\nstatus\t0\n");
  EXPECT_NE(table.err.find("trap.rsp:2: warning: "), std::string::npos) << table.err;
}

// A file in an encoding that setup cannot read as it looks: what the program
// reads of the file reaches the report and the exit code (the texts for each
// form are the report's own tests).
TEST_F(RspcheckProgram, NamesTheEncodingsThatSetupCannotRead) {
  const std::string text = "PROD=QOR_TELVAR_DRIVER\r\nCOPY_NAME=Z\xC3\xBCrich\r\n";
  std::string utf16 = "\xFF\xFE";
  for (char c : text) utf16 += std::string{c, '\0'};
  machine.writeFile("C:\\rsp\\u16.rsp", utf16);
  auto run = rspcheck({"C:\\rsp\\u16.rsp"});
  EXPECT_EQ(run.exitCode, 1u);
  EXPECT_EQ(run.out.rfind("C:\\rsp\\u16.rsp:1: error: the file is UTF-16 text", 0), 0u) << run.out;
  EXPECT_EQ(std::count(run.out.begin(), run.out.end(), '\n'), 2) << run.out;

  machine.writeFile("C:\\rsp\\u8.rsp", text);
  auto utf8 = rspcheck({"C:\\rsp\\u8.rsp"});
  EXPECT_NE(utf8.out.find("C:\\rsp\\u8.rsp:2: warning: the value of COPY_NAME is UTF-8 text: it "
                          "means 6 characters"),
            std::string::npos)
      << utf8.out;
}

// setup's command line, checked by the program beside setup in the image:
// the image directory is its own, and the exit code is as for a file.
TEST_F(RspcheckProgram, ChecksSetupsCommandLine) {
  auto old = rspcheck({"--args", "/l", "C:\\logs\\drv-old.log"});
  EXPECT_EQ(old.exitCode, 0u);
  EXPECT_NE(old.out.find("argument 2: warning: 'C:\\logs\\drv-old.log', the value of /l, holds "
                         "'-o' in 'drv-old.log'"),
            std::string::npos)
      << old.out;
  EXPECT_EQ(rspcheck({"--werror", "--args", "/l", "C:\\logs\\drv-old.log"}).exitCode, 1u);

  auto clean =
      rspcheck({"--werror", "--args", "/u", "C:\\rsp\\drv.rsp", "/l", "C:\\logs\\install.log"});
  EXPECT_EQ(clean.exitCode, 0u);
  // A host path outside the machine's drives is on Z:.
  std::string image = "Z:" + std::filesystem::canonical(emulated::TestMachine::imageDir()).string();
  std::replace(image.begin(), image.end(), '/', '\\');
  EXPECT_EQ(clean.out,
            "option /l: 'C:\\logs\\install.log'\n"
            "option /u: 'C:\\rsp\\drv.rsp'\n"
            "image directory: '" +
                image + "', " + std::to_string(image.size()) +
                " characters; setup takes at most 213\n"
                "arguments: 2 options, 0 errors, 0 warnings\n");
  EXPECT_EQ(clean.err, "");

  // --args takes every word after it as setup's, even one like rspcheck's.
  auto words = rspcheck({"--image", "D:\\media\\image", "--args", "--werror"});
  EXPECT_EQ(words.exitCode, 1u);
  EXPECT_NE(words.out.find("image directory: 'D:\\media\\image', 14 characters"), std::string::npos)
      << words.out;
  EXPECT_NE(words.out.find("argument 1: error: '--werror' is no option of setup"),
            std::string::npos)
      << words.out;
}

TEST_F(RspcheckProgram, RunningOutOfMemoryIsReportedWithItsLoadStatus) {
#ifdef KV7_SANITIZED
  GTEST_SKIP() << "a sanitizer needs more address space than the limit leaves";
#endif
  // Enough memory to load a 30 MB value, not enough to report on it.
  machine.writeFile("C:\\rsp\\huge.rsp", "LIC_AGREEMENT = " + std::string(30000000, 'x') + "\n");
  auto run = machine.run("/bin/sh",
                         {"-c", "ulimit -v 120000 && exec \"$0\" \"$1\"",
                          emulated::TestMachine::imageDir() + "/rspcheck", "C:\\rsp\\huge.rsp"});
  EXPECT_EQ(run.exitCode, 5u);
  EXPECT_EQ(run.err,
            "C:\\rsp\\huge.rsp: error: there is not enough memory to check the file; load status "
            "5\n");
}

TEST_F(RspcheckProgram, RefusesWrongArgumentsAndAnswersTheOthers) {
  const std::vector<std::vector<std::string>> wrong = {{},
                                                       {"--bogus", "a.rsp"},
                                                       {"a.rsp", "b.rsp"},
                                                       {"--list-keywords", "a.rsp"},
                                                       {"--list-keywords", "--werror"},
                                                       {"--tsv"},
                                                       {"--tsv", "--args"},
                                                       {"--image", "D:\\x", "a.rsp"},
                                                       {"a.rsp", "--args", "/u"}};
  for (const auto& args : wrong) {
    auto run = rspcheck(args);
    EXPECT_EQ(run.exitCode, 64u) << ::testing::PrintToString(args);
    EXPECT_NE(run.err.find("Usage: rspcheck"), std::string::npos);
    EXPECT_EQ(run.out, "");
  }
  auto help = rspcheck({"--help"});
  EXPECT_EQ(help.exitCode, 0u);
  EXPECT_NE(help.out.find("--list-keywords"), std::string::npos);
  auto keywords = rspcheck({"--list-keywords"});
  EXPECT_EQ(keywords.exitCode, 0u);
  EXPECT_NE(keywords.out.find("\n445 keywords, "), std::string::npos);
}

}  // namespace
