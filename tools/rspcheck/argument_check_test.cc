#include "tools/rspcheck/argument_check.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "emulation/testing/test_machine.h"

namespace {

using Kind = ArgumentFinding::Kind;

// The findings other than notes, as "argument: kind: text".
std::vector<const ArgumentFinding*> problems(const ArgumentReport& report) {
  std::vector<const ArgumentFinding*> found;
  for (const ArgumentFinding& finding : report.findings) {
    if (finding.kind != Kind::kNote) found.push_back(&finding);
  }
  return found;
}

std::string notes(const ArgumentReport& report) {
  std::string text;
  for (const ArgumentFinding& finding : report.findings) {
    if (finding.kind == Kind::kNote) text += finding.text + "\n";
  }
  return text;
}

// The traps of option letters inside paths, each reported at the argument
// that hides the option, naming both, as an error where setup refuses the
// line and as a warning where it silently does something else.
TEST(ArgumentCheck, ReportsEachOptionHiddenInAnotherArgument) {
  const struct {
    std::vector<std::string> args;
    Kind kind;
    int argument;
    std::vector<std::string> named;  // texts the finding must hold
  } cases[] = {
      {{"/u", "C:\\rsp\\drv.rsp", "/l", "C:\\logs\\kv7-install.log"},
       Kind::kError,
       4,
       {"'C:\\logs\\kv7-install.log', the value of /l, holds '-i' in 'kv7-install.log'",
        "option /i with the value 'stall.log'", "8115 (8113)", "'C:\\logs\\kv7_install.log'"}},
      {{"/u", "C:\\rsp\\drv.rsp", "/l", "C:\\logs\\drv-main.log"},
       Kind::kWarning,
       4,
       {"holds '-m' in 'drv-main.log'", "option /m:", "basic progress window (/qb)"}},
      // Without /u, the same /m makes setup refuse the line.
      {{"/l", "C:\\logs\\drv-main.log"}, Kind::kError, 2, {"option /m:", "8115 (8103)"}},
      {{"/l", "C:\\logs\\drv-old.log"},
       Kind::kWarning,
       2,
       {"'C:\\logs\\drv-old.log', the value of /l, holds '-o' in 'drv-old.log'",
        "option /o:", "MSINEWINSTANCE=1"}},
      {{"/l", "C:\\logs\\site-north.log"},
       Kind::kWarning,
       2,
       {"holds '-n' in 'site-north.log'", "option /n with the value 'rth.log'",
        "the copy named 'rth.log'"}},
      {{"/n", "X", "/p", "C:\\apps\\site-prod"},
       Kind::kWarning,
       4,
       {"'C:\\apps\\site-prod', the value of /p, holds '-p' in 'site-prod'",
        "option /p with the value 'od'", "does not use the /p of argument 3"}},
      // Quotes keep the blank in the path, not the letter out of the search.
      {{"/u", "C:\\rsp\\drv.rsp", "/p", "C:\\Program Files\\my-prog"},
       Kind::kWarning,
       4,
       {"'C:\\Program Files\\my-prog', the value of /p, holds '-p' in 'my-prog'",
        "not into the FILE of the response file", "'C:\\Program Files\\my_prog'"}},
      // A "/" found first as well: in a log path it is refused anyway.
      {{"/u", "C:\\rsp\\drv.rsp", "/l", "C:/logs/install.log"},
       Kind::kError,
       4,
       {"holds '/i', which setup takes", "8115 (8113)", "'C:\\logs\\install.log'"}},
      // A value that is itself an option's letters.
      {{"/l", "/u", "x.rsp"}, Kind::kError, 1, {"/l with '/u'", "8115 (8110)"}},
      {{"/l", "/u", "x.rsp"},
       Kind::kError,
       2,
       {"'/u', the value of /l, holds '/u'", "give /l its value before '/u'"}},
  };
  for (const auto& c : cases) {
    const std::string line = ::testing::PrintToString(c.args);
    const ArgumentReport report = checkArguments(c.args, "");
    const ArgumentFinding* finding = nullptr;
    for (const ArgumentFinding* problem : problems(report)) {
      if (problem->argument == c.argument && problem->kind == c.kind) finding = problem;
    }
    ASSERT_NE(finding, nullptr) << line << "\n" << argumentReportText(report);
    for (const std::string& named : c.named) {
      EXPECT_NE(finding->text.find(named), std::string::npos) << line << ": " << named << "\n"
                                                              << finding->text;
    }
  }
}

// Lines setup reads as they look: nothing but notes, and each option seen.
TEST(ArgumentCheck, LeavesCleanLinesAlone) {
  const struct {
    std::vector<std::string> args;
    std::string notes;
  } cases[] = {
      {{},
       "no arguments: setup starts an interactive installation, detached from its console, and "
       "logs to a time-stamped file in KV7LOG of the documents folder\n"},
      {{"-I", "de", "/U", "a b.rsp", "/m", "/o", "-showcommand"},
       "option /i: 'de'\noption /u: 'a b.rsp'\noption /m\noption /o (ignored: /n, /p or /u "
       "given)\n"},
      // The "-" of an option of its own is no trap; neither is one before
      // another letter, nor an option that another found first.
      {{"-i", "DE", "/l", "C:\\logs\\kv7-install.log", "/n", "site-B"},
       "option /i: 'DE'\noption /l: 'C:\\logs\\kv7-install.log'\noption /n: 'site-B'\n"},
  };
  for (const auto& c : cases) {
    const ArgumentReport report = checkArguments(c.args, "");
    EXPECT_TRUE(problems(report).empty()) << argumentReportText(report);
    EXPECT_EQ(notes(report), c.notes);
    EXPECT_EQ(report.errors + report.warnings, 0);
  }
  EXPECT_EQ(argumentReportText(checkArguments({"/o"}, "")),
            "option /o\narguments: 1 option, 0 errors, 0 warnings\n");
}

// What setup refuses whether or not a letter hides anywhere.
TEST(ArgumentCheck, ReportsWhatSetupRefusesInTheLine) {
  const struct {
    std::vector<std::string> args;
    int argument;
    std::string text;
  } cases[] = {
      {{"/i"},
       1,
       "/i with no value: setup finds no language code after it, so it refuses the "
       "line, shows its usage and ends with exit code 8115 (8108)"},
      {{"/i", "XX"}, 1, "setup supports no language code 'XX'"},
      {{"/u"}, 1, "8115 (8105)"},
      {{"/p", "C:\\a<b"}, 1, "8115 (8112)"},
      {{"/l", "C:\\logs\\x.log", "/n", ""}, 3, "8115 (8109)"},
      {{"/l", std::string(261, 'x')}, 1, "longer than 260 characters"},
      {{"/m"}, 1, "8115 (8103)"},
      {{"/x"}, 1, "'/x' is no option of setup, nor the value of one"},
      {{"/o", "/?", "/x"},
       2,
       "'/?' asks for setup's usage text: setup shows it and ends with "
       "exit code 8115 (8120)"},
      {{std::string(600, 'a'), std::string(424, 'b')},
       0,
       "the arguments hold 1024 characters, more than the 1023 that setup takes"},
  };
  for (const auto& c : cases) {
    const ArgumentReport report = checkArguments(c.args, "");
    const std::vector<const ArgumentFinding*> found = problems(report);
    ASSERT_EQ(found.size(), 1u) << argumentReportText(report);
    EXPECT_EQ(found[0]->kind, Kind::kError);
    EXPECT_EQ(found[0]->argument, c.argument);
    EXPECT_NE(found[0]->text.find(c.text), std::string::npos) << found[0]->text;
    EXPECT_EQ(report.errors, 1);
  }
}

// The image directory is held against the paths setup forms from it: the
// package path, the message directory and the program itself.
TEST(ArgumentCheck, HoldsTheImageDirectoryAgainstSetupsPaths) {
  emulated::TestMachine machine;  // the system language, for the messages
  auto directoryOf = [](std::size_t length) { return "C:\\" + std::string(length - 3, 'd'); };
  const struct {
    std::size_t length;
    std::string error;  // empty: none
  } cases[] = {
      {213, ""},
      {214, "(8121), \"Cannot access ...\", although the package is there"},
      {243, "although the package is there"},
      {244, "(8121) without a word, because its message directory does not fit either"},
      {249, "without a word"},
      {250, "Windows starts no program from a path of more than 259 characters"},
  };
  for (const auto& c : cases) {
    const ArgumentReport report = checkArguments({}, directoryOf(c.length) + "\\");
    EXPECT_NE(notes(report).find(", " + std::to_string(c.length) +
                                 " characters; setup takes at most 213\n"),
              std::string::npos)
        << notes(report);
    const std::vector<const ArgumentFinding*> found = problems(report);
    if (c.error.empty()) {
      EXPECT_TRUE(found.empty()) << c.length;
      continue;
    }
    ASSERT_EQ(found.size(), 1u) << c.length;
    EXPECT_NE(found[0]->text.find(c.error), std::string::npos) << found[0]->text;
    EXPECT_NE(found[0]->text.find("copy the image to a directory of at most 213 characters"),
              std::string::npos);
  }
}

}  // namespace
