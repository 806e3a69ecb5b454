#include "tools/rspcheck/check_report.h"

#include <gtest/gtest.h>

#include <sstream>
#include <string>
#include <vector>

#include "responsefile/test_support.h"
#include "tools/rspcheck/entry_problems.h"
#include "tools/rspcheck/format_warnings.h"
#include "tools/rspcheck/keyword_listing.h"
#include "tools/rspcheck/line_layout.h"
#include "tools/rspcheck/printable_text.h"

namespace {

std::vector<std::string> linesOf(const std::string& text) {
  std::vector<std::string> lines;
  std::istringstream in(text);
  for (std::string line; std::getline(in, line);) lines.push_back(line);
  return lines;
}

// The problem sentences of the entry written with that keyword.
std::vector<std::string> problemsOf(const ResponseFile& file, const std::string& keyword) {
  return describeEntryProblems(file, file.findIndex(keyword.c_str(), 0));
}

TEST(CheckReport, NamesTheRuleOrPartnerBehindEachProblem) {
  const std::string kLongPrefix(100, 'P');
  auto file = loadText(
      "DEFAULT_INSTANCE = KV7\n"
      "DATABASE = SAMPLE\n"
      "INSTALL_TYPE = MINIMAL\n"
      "SAMPLE.ALIAS = SYSCAT\n"
      "KV7OPTIONS = -a -q\n"
      "MAXAGENTS = 10\n"
      "OTHER.MAXAGENTS = 10\n"
      "SAMPLE.CONTACT_NAME = x\n"
      "INTERACTIVE = YES\n"
      "TOTALLY_UNKNOWN = 1\n"
      "KV7.MAXAGENTS = 100\n"
      "KV7.MAXCAGENTS = 200\n" +
      kLongPrefix + ".KV7CONNECT_DISCONNECT_ON_INTERRUPT = 1\n");
  const struct {
    std::string keyword;
    std::vector<std::string> problems;
  } cases[] = {
      {"INSTALL_TYPE",
       {"INSTALL_TYPE = 'MINIMAL': the value does not match the rule \"TYPICAL COMPACT CUSTOM "
        "COMPLETE\""}},
      {"SAMPLE.ALIAS",
       {"SAMPLE.ALIAS = 'SYSCAT': the value is not allowed, it matches the exclusion rule \"SYS* "
        "DBM* QOR*\""}},
      {"MAXAGENTS",
       {"unknown keyword 'MAXAGENTS' with value '10': it is written as "
        "<DEFAULT_INSTANCE>.MAXAGENTS, <CTLSRV_INSTANCE>.MAXAGENTS or <INSTANCE>.MAXAGENTS"}},
      {"OTHER.MAXAGENTS",
       {"unknown keyword 'OTHER.MAXAGENTS' with value '10': 'OTHER' is no instance or block name "
        "given in this file; MAXAGENTS is written as <DEFAULT_INSTANCE>.MAXAGENTS, "
        "<CTLSRV_INSTANCE>.MAXAGENTS or <INSTANCE>.MAXAGENTS"}},
      {"SAMPLE.CONTACT_NAME",
       {"unknown keyword 'SAMPLE.CONTACT_NAME' with value 'x': 'SAMPLE' is a DATABASE block "
        "name, but CONTACT_NAME is written as <CONTACT>.CONTACT_NAME"}},
      {"INTERACTIVE",
       {"unknown keyword 'INTERACTIVE' with value 'YES': the keyword is not used by this setup "
        "program"}},
      {"TOTALLY_UNKNOWN", {"unknown keyword 'TOTALLY_UNKNOWN' with value '1'"}},
      // The longest keyword behind a long name is still recognised.
      {kLongPrefix + ".KV7CONNECT_DISCONNECT_ON_INTERRUPT",
       {"unknown keyword '" + kLongPrefix +
        ".KV7CONNECT_DISCONNECT_ON_INTERRUPT' with value '1': '" + kLongPrefix +
        "' is no instance or block name given in this file; "
        "KV7CONNECT_DISCONNECT_ON_INTERRUPT is written as KV7CONNECT_DISCONNECT_ON_INTERRUPT or "
        "<INSTANCE>.KV7CONNECT_DISCONNECT_ON_INTERRUPT"}},
      {"KV7.MAXCAGENTS",
       {"KV7.MAXCAGENTS = '200' contradicts KV7.MAXAGENTS = '100' (line 11): MAXCAGENTS, "
        "MAXDARI, MAX_COORDAGENTS, NUM_INITAGENTS and NUM_POOLAGENTS must not exceed "
        "MAXAGENTS"}},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(problemsOf(*file, c.keyword), c.problems) << c.keyword;
  }
  std::vector<std::string> options = problemsOf(*file, "KV7OPTIONS");
  ASSERT_EQ(options.size(), 1u);
  EXPECT_EQ(options[0].rfind("KV7OPTIONS = '-a -q': '-q' is not an option", 0), 0u) << options[0];
  EXPECT_TRUE(problemsOf(*file, "DEFAULT_INSTANCE").empty());
}

TEST(CheckReport, NeverRepeatsAPassword) {
  auto file = loadText("WW_PASSWORD = *\nKAS_PASSWORD = " + std::string(300, 's') +
                       "\nPASSWORD = hunter2\n");
  EXPECT_EQ(problemsOf(*file, "WW_PASSWORD"),
            std::vector<std::string>{"WW_PASSWORD = (a secret of 1 characters): the value is not "
                                     "allowed, it matches the exclusion rule \"**\""});
  EXPECT_EQ(problemsOf(*file, "KAS_PASSWORD"),
            std::vector<std::string>{"KAS_PASSWORD = (a secret of 300 characters): the value does "
                                     "not match the rule \"S(1,255)\""});
  // Written without its instance it is unknown, and still a password.
  std::vector<std::string> unknown = problemsOf(*file, "PASSWORD");
  ASSERT_EQ(unknown.size(), 1u);
  EXPECT_EQ(unknown[0].find("hunter2"), std::string::npos) << unknown[0];
  EXPECT_NE(unknown[0].find("(a secret of 7 characters)"), std::string::npos) << unknown[0];
}

TEST(CheckReport, ReportsEveryProblemInFileOrderThenASummary) {
  auto file = loadText(
      "PROD = WORKLOAD_WARDEN\n"
      "* comment\n"
      "INSTALL_TYPE = COMPACT\n"
      "REBOOT = perhaps\n"
      "=orphan\n"
      "COMP = ok\n");
  EXPECT_EQ(linesOf(problemReport(*file, "C:\\rsp\\a.rsp")),
            (std::vector<std::string>{
                "C:\\rsp\\a.rsp:3: error: INSTALL_TYPE = 'COMPACT' contradicts PROD = "
                "'WORKLOAD_WARDEN' (line 1): WORKLOAD_WARDEN cannot be installed COMPACT",
                "C:\\rsp\\a.rsp:4: error: REBOOT = 'perhaps': the value does not match the rule "
                "\"YES NO\"",
                "C:\\rsp\\a.rsp:5: error: no keyword before '=' (value 'orphan')",
                "C:\\rsp\\a.rsp: 5 entries, 3 in error, 3 problems; load status 1 (content "
                "invalid)",
            }));
  EXPECT_EQ(exitCodeFor(*file), 1);
}

// Lines that setup reads otherwise than they look, each warned about on the
// line an editor shows, beside the errors setup finds; the errors after a
// line that took in the next one keep the editor's numbers too.
TEST(CheckReport, WarnsOfEachLineSetupReadsOtherwiseThanItLooks) {
  const std::string text =
      "\xEF\xBB\xBF* a response file\n"
      "PROD=QOR_TELVAR_DRIVER # the driver\n"
      "#" +
      std::string(1021, '-') +
      "\n"
      "LIC_AGREEMENT=ACCEPT\n"
      "FILE=C:\\apps\\SITEA\\\n"
      "COPY_NAME=SITE\"A\n"
      "DEFAULT_INSTANCE=KV7\n"
      "KV7.MAXAGENTS=100\n"
      "KV7_MAXAGENTS=10\n"
      "KV7_NUM_INITAGENTS=50\n";
  auto file = loadText(text);
  LineLayout layout(text);
  std::vector<FormatWarning> warnings = findFormatWarnings(*file, layout);
  const std::vector<std::pair<int32_t, std::string>> expected = {
      {1,
       "byte-order mark, which setup reads as three characters at the start of line 1, so line "
       "1 is no comment"},
      {2,
       "'#' after a value starts no comment: setup reads 'QOR_TELVAR_DRIVER # the driver' as "
       "the value of PROD, refuses it and ends with exit code 8115; put the comment on a line of "
       "its own, or start it with '##'"},
      {3,
       "the line is 1022 characters long, so with its line end it fills setup's reads of 1023 "
       "characters exactly, and setup reads line 4 ('LIC_AGREEMENT=ACCEPT') as the end"},
      {5,
       "FILE = 'C:\\apps\\SITEA\\' ends in a backslash, which setup writes just before the "
       "closing quote of INSTALLDIR=\"C:\\apps\\SITEA\\\""},
      {6,
       "COPY_NAME = 'SITE\"A' holds a double quote, which setup writes unescaped into the "
       "installer command as KV7_COPY_NAME=\"SITE\"A\" (and COPY_NAME_OVERRIDE)"},
      {9,
       "KV7_MAXAGENTS names the same setting as KV7.MAXAGENTS (line 8), but setup keeps both "
       "lines, and the installer receives both, while setup's checks between settings see only "
       "KV7.MAXAGENTS; write it once, as KV7.MAXAGENTS"},
      {10, "KV7_NUM_INITAGENTS is KV7.NUM_INITAGENTS written with '_'"},
  };
  ASSERT_EQ(warnings.size(), expected.size());
  for (std::size_t i = 0; i < expected.size(); ++i) {
    EXPECT_EQ(warnings[i].line, expected[i].first) << warnings[i].text;
    EXPECT_NE(warnings[i].text.find(expected[i].second), std::string::npos) << warnings[i].text;
  }
  std::string report = problemReport(*file, "t.rsp", &layout, warnings);
  EXPECT_NE(report.find("t.rsp:6: error: COPY_NAME = 'SITE\"A'"), std::string::npos) << report;
  EXPECT_NE(report.find("t.rsp:6: warning: COPY_NAME"), std::string::npos) << report;
  EXPECT_NE(report.find("8 entries, 3 in error, 3 problems, 7 warnings; load status 1"),
            std::string::npos)
      << report;
}

// Look-alikes of the traps that setup reads as they look.
TEST(CheckReport, WarnsOfNoLineSetupReadsAsItLooks) {
  const std::string text = "#" + std::string(1022, '-') + "\n" +  // 1023 characters
                           "COMP=a#b\n"
                           "COMP=x ## a comment\n"
                           "#" +
                           std::string(1021, '-') + "\n# a comment taken into a comment\n" +
                           "COMP=" + std::string(1017, 'x') + "\n\n" +
                           "DEFAULT_INSTANCE=KV7\nKV7.MAXAGENTS=1\nkv7.maxagents=2\n"
                           "FILE=C:\\apps\\SITEA\n"
                           "COPY_NAME=" +
                           std::string(1012, 'A') + "\n";  // last line, nothing to take in
  auto file = loadText(text);
  LineLayout layout(text);
  EXPECT_TRUE(findFormatWarnings(*file, layout).empty());
  EXPECT_EQ(layout.lineCount(), 12);
  EXPECT_EQ(layout.fileLine(4), 4);
  EXPECT_EQ(layout.fileLine(5), 6);  // line 4 took in line 5
  EXPECT_EQ(layout.fileLine(6), 8);  // and line 6 the blank line 7
}

// Where setup's reader starts its lines, against the editor's lines, wherever
// the reads cut the text.
TEST(CheckReport, LayoutFollowsTheReaderWhereverTheReadsCutTheText) {
  const std::string text = "A1=" + std::string(1019, 'x') + "\n" +  // fills a piece: takes in
                           "A2=2\n" +                               // this line
                           "A3=" + std::string(1000, 'y') + '\0' + std::string(19, 'y') +
                           "A4=" + std::string(10, 'z') + "\n" +   // a NUL cuts it in two
                           "A5=Z\xC3\xBCrich\n" +                  // UTF-8
                           "A6=" + std::string(1019, 'v') + "\n";  // full, but nothing follows
  auto file = loadText(text);
  const LineLayout whole(text);
  std::vector<std::pair<std::string, int32_t>> seen;
  for (int32_t i = 0; i < file->entryCount(); ++i) {
    const ResponseFileEntry* entry = file->entryAt(i);
    seen.emplace_back(entry->name(), whole.fileLine(entry->lineNumber()));
  }
  EXPECT_EQ(seen, (std::vector<std::pair<std::string, int32_t>>{
                      {"A1", 1}, {"A3", 3}, {"A4", 3}, {"A5", 4}, {"A6", 5}}));
  EXPECT_EQ(whole.joinedLines(), std::vector<int32_t>{1});
  EXPECT_EQ(whole.lineCount(), 5);
  EXPECT_EQ(whole.line(2), "A2=2");
  EXPECT_EQ(whole.utf8Lines(), std::vector<int32_t>{4});
  EXPECT_EQ(whole.line(4), "A5=Z\xC3\xBCrich");
  EXPECT_EQ(whole.head(), "A1=x");
  EXPECT_EQ(whole.fileLine(6), 6);  // past the end
  for (std::size_t size : {1, 7, 1022, 1023, 1024}) {
    LineLayout parts;
    for (std::size_t at = 0; at < text.size(); at += size) parts.add(text.substr(at, size));
    parts.finish();
    EXPECT_EQ(parts.joinedLines(), whole.joinedLines()) << size;
    EXPECT_EQ(parts.lineCount(), whole.lineCount()) << size;
    EXPECT_EQ(parts.head(), whole.head()) << size;
    EXPECT_EQ(parts.utf8Lines(), whole.utf8Lines()) << size;
    for (int32_t n = 1; n <= 5; ++n) {
      EXPECT_EQ(parts.line(n), whole.line(n)) << size;
      EXPECT_EQ(parts.fileLine(n), whole.fileLine(n)) << size;
    }
  }
}

// Text in UTF-8 warns at each line setup reads as a keyword or value; text
// that setup skips, a file in code page 1252 and a file with a byte-order
// mark (whose own warning tells how to save it) do not.
TEST(CheckReport, WarnsOfUtf8KeywordsAndValuesOnly) {
  const std::string text =
      "PROD=QOR_TELVAR_DRIVER\n"
      "* Z\xC3\xBCrich office\n"
      "COMP=Z\xC3\xBCrich\n"
      "FILE=C:\\apps\\x ## Z\xC3\xBCrich\n"
      "KAS_PASSWORD=p\xC3\xA4ss\n"
      "Z\xC3\xBCRICH=1\n"
      "COMP=caf\xE9\n";  // code page 1252
  auto file = loadText(text);
  LineLayout layout(text);
  EXPECT_EQ(layout.utf8Lines(), (std::vector<int32_t>{2, 3, 4, 5, 6}));
  std::vector<FormatWarning> warnings = findFormatWarnings(*file, layout);
  ASSERT_EQ(warnings.size(), 3u);
  EXPECT_EQ(warnings[0].line, 3);
  EXPECT_EQ(warnings[0].text,
            "the value of COMP is UTF-8 text: it means 6 characters, 'Z', U+00FC LATIN SMALL "
            "LETTER U WITH DIAERESIS, 'rich', but setup reads the file byte by byte in the "
            "system's code page and takes 7 characters, 'Z', U+00C3 LATIN CAPITAL LETTER A WITH "
            "TILDE, U+00BC VULGAR FRACTION ONE QUARTER, 'rich'; save the file as ANSI text in the "
            "system's code page (1252 on Western systems), for example with PowerShell's "
            "Set-Content -Encoding Default");
  EXPECT_EQ(warnings[1].line, 5);
  EXPECT_EQ(warnings[1].text.find("a\xC3"), std::string::npos) << warnings[1].text;
  EXPECT_EQ(warnings[1].text.find("U+00E4"), std::string::npos) << warnings[1].text;
  EXPECT_NE(warnings[1].text.find("the value of KAS_PASSWORD is UTF-8 text (a secret of 4 "
                                  "characters), but setup reads the file byte by byte in the "
                                  "system's code page and takes 5 characters;"),
            std::string::npos)
      << warnings[1].text;
  EXPECT_EQ(warnings[2].line, 6);
  EXPECT_EQ(warnings[2].text.rfind("the keyword is UTF-8 text: it means 6 characters, 'Z', "
                                   "U+00FC LATIN SMALL LETTER U WITH DIAERESIS, 'RICH'",
                                   0),
            0u)
      << warnings[2].text;

  const std::string marked = "\xEF\xBB\xBF" + text;
  LineLayout markedLayout(marked);
  std::vector<FormatWarning> markWarnings = findFormatWarnings(*loadText(marked), markedLayout);
  ASSERT_EQ(markWarnings.size(), 1u);
  EXPECT_NE(markWarnings[0].text.find("byte-order mark"), std::string::npos);
}

// A UTF-16 file, with or without a byte-order mark, gets one error at line
// 1, whatever the reader made of its bytes, and fails.
TEST(CheckReport, ReportsAUtf16FileAsThatAlone) {
  const std::string ascii = "PROD=QOR_TELVAR_DRIVER\r\nLIC_AGREEMENT=ACCEPT\r\nCOPY_NAME=SITEA\r\n";
  auto utf16 = [&](bool little, bool mark) {
    std::string out = mark ? (little ? "\xFF\xFE" : "\xFE\xFF") : "";
    for (char c : ascii) {
      out += little ? std::string{c, '\0'} : std::string{'\0', c};
    }
    return out;
  };
  const struct {
    bool little;
    bool mark;
    std::string form;
    std::string writers;
  } cases[] = {
      {true, true, "(little-endian, with a byte-order mark)",
       "Windows PowerShell 5.1 writes it with '>', '>>' and Out-File, and Notepad when saving "
       "as \"Unicode\""},
      {true, false, "(little-endian, without a byte-order mark)", "Out-File"},
      {false, true, "(big-endian, with a byte-order mark)", "\"Unicode big endian\""},
      {false, false, "(big-endian, without a byte-order mark)", "BigEndianUnicode"},
  };
  for (const auto& c : cases) {
    const std::string text = utf16(c.little, c.mark);
    auto file = loadText(text);
    LineLayout layout(text);
    EXPECT_TRUE(findFormatWarnings(*file, layout).empty()) << c.form;
    std::vector<std::string> lines = linesOf(problemReport(*file, "u16.rsp", &layout));
    ASSERT_EQ(lines.size(), 2u) << c.form;
    EXPECT_EQ(lines[0].rfind("u16.rsp:1: error: the file is UTF-16 text " + c.form, 0), 0u)
        << lines[0];
    EXPECT_NE(lines[0].find(c.writers), std::string::npos) << lines[0];
    EXPECT_NE(lines[0].find("write the file with PowerShell's Set-Content -Encoding Default (or "
                            "Out-File -Encoding ascii for plain ASCII text), or save it in "
                            "Notepad as \"ANSI\""),
              std::string::npos)
        << lines[0];
    EXPECT_EQ(lines[1], "u16.rsp: UTF-16 text, 1 problem; load status 1 (content invalid)");
    EXPECT_EQ(exitCodeFor(*file, &layout), 1) << c.form;
  }
  // Even a file that the reader loads without a problem.
  const std::string blank = std::string("\n\0\n\0", 4);
  auto blankFile = loadText(blank);
  LineLayout blankLayout(blank);
  EXPECT_EQ(blankFile->status(), RspOk);
  EXPECT_EQ(exitCodeFor(*blankFile, &blankLayout), 1);
  EXPECT_EQ(exitCodeFor(*blankFile), 0);
}

// A file that cannot be opened is the program's test.
TEST(CheckReport, CleanFilesSaySo) {
  auto clean = loadText("PROD = ALL\n");
  EXPECT_EQ(problemReport(*clean, "x.rsp"),
            "x.rsp: 1 entry, 0 in error, 0 problems; load status 0 (ok)\n");
  EXPECT_EQ(exitCodeFor(*clean), 0);
}

TEST(CheckReport, TableHasOneLineForEveryEntry) {
  auto file = loadText(
      "KV7_DOCHOST = blank\n"
      "REBOOT = blank\n"
      "UNKNOWN\n"
      "COMP = a\tb\n"
      "COMP=" +
      std::string(1017, 'x') + "\nCOMP = joined\n");
  EXPECT_EQ(entryTable(*file),
            "1\t0\t36\tKV7_DOCHOST\t\n"
            "2\t2\t55\tREBOOT\tblank\n"
            "3\t1\t-1\tUNKNOWN\t\n"
            "4\t0\t25\tCOMP\ta b\n"
            "5\t0\t25\tCOMP\t" +
                std::string(1017, 'x') +
                " COMP = joined\n"
                "status\t1\n");
}

TEST(CheckReport, KeepsProblemLinesOnOneLine) {
  EXPECT_EQ(printableText("a\tb\nc\r\x01\x7f\xe9"), "a\\tb\\nc\\r\\x01\\x7F\xe9");
  EXPECT_EQ(tsvField("a\tb\nc\rd"), "a b c d");
}

TEST(KeywordListing, ShowsHowEveryKeywordIsWritten) {
  std::string listing = keywordListing();
  auto contains = [&](const std::string& text) { return listing.find(text) != std::string::npos; };
  EXPECT_TRUE(contains("PROD  (row 17)\n  written as:  PROD\n"));
  EXPECT_TRUE(contains("  not valid when PROGNAME is: kv7isetup\n"));
  EXPECT_TRUE(
      contains("MAXAGENTS  (row 112)\n  written as:  <DEFAULT_INSTANCE>.MAXAGENTS  "
               "<CTLSRV_INSTANCE>.MAXAGENTS  <INSTANCE>.MAXAGENTS\n  rule:        "
               "I(0,64000)\n  repeats:     no\n  secret:      no\n"));
  EXPECT_TRUE(
      contains("AUTHENTICATION  (row 73)\n  written as:  never (row 72 of the same name "
               "is chosen first)\n"));
  EXPECT_TRUE(contains("KV7_ECLIPS_CONFIG_EXISTKV7  (row 39)\n  written as:  never"));
  EXPECT_TRUE(
      contains("KAS_PASSWORD  (row 401)\n  written as:  KAS_PASSWORD\n  rule:        "
               "S(1,255)\n  excluded:    **\n  repeats:     no\n  secret:      yes\n"));
  EXPECT_TRUE(
      contains("COMP  (row 25)\n  written as:  COMP\n  rule:        S(1)\n  repeats:  "
               "   yes\n"));
  EXPECT_TRUE(
      contains("INTERACTIVE  (row 22)\n  written as:  never (only other setup programs of "
               "the family take it; setup reports it as an unknown keyword)\n"));
  EXPECT_TRUE(
      contains("\n\n445 keywords, 37 of them only for other setup programs of the "
               "family.\n"));
}

}  // namespace
