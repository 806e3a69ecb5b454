#include "responsefile/rule_matcher.h"

#include <gtest/gtest.h>

#include <string>
#include <thread>
#include <vector>

namespace {

struct RuleCase {
  const char* rule;
  const char* value;
  bool matches;
};

void expectCases(const std::vector<RuleCase>& cases) {
  for (const RuleCase& c : cases) {
    EXPECT_EQ(matchRule(nullptr, c.value, c.rule), c.matches)
        << "rule \"" << c.rule << "\" value \"" << c.value << "\"";
  }
}

TEST(RuleMatcher, WordsCompareWholeValuesIgnoringCase) {
  expectCases({
      {"YES NO", "yes", true},
      {"YES NO", "No", true},
      {"YES NO", "YES", true},
      {"YES NO", "YESS", false},
      {"YES NO", "YE", false},
      {"YES NO", "", false},
      {"  TYPICAL COMPACT CUSTOM COMPLETE  ", "custom", true},
      {"ON null", "NULL", true},
      {"2 5 6 7 8", "7", true},
      {"2 5 6 7 8", "3", false},
      {"", "anything", false},
  });
}

TEST(RuleMatcher, StarIsAWildCardAndADoubledStarALiteralOne) {
  expectCases({
      {"SYS* DBM* QOR*", "sysadm", true},
      {"SYS* DBM* QOR*", "Qor1", true},
      {"SYS* DBM* QOR*", "QOR", true},
      {"SYS* DBM* QOR*", "myqor", false},
      // The first dollar sign is taken; nothing may follow it.
      {"*$", "user$", true},
      {"*$", "us$er$", false},
      {"*$", "user", false},
      {"http://*", "HTTP://host", true},
      {"http://*", "https://host", false},
      {"/.:/* /.../*", "/.../cell/x", true},
      {"/.:/* /.../*", "/..:/x", false},
      {"**", "*", true},
      {"**", "**", false},
      {"**", "x", false},
      {"a**b", "a*b", true},
      {"a**b", "axb", false},
      {"*b*d", "abcd", true},
      {"*b*d", "abcde", false},
      {"BLANK NULL **  L(1,9,',', I(0,4095) )", "*", true},
  });
}

TEST(RuleMatcher, CallLikeTextsThatAreNoFormAreWords) {
  expectCases({
      {"BLANK MAKEIRANGE( 0, INT_MAX )", "BLANK", true},
      {"BLANK MAKEIRANGE( 0, INT_MAX )", "int_max", true},
      {"BLANK MAKEIRANGE( 0, INT_MAX )", "0,", true},
      {"BLANK MAKEIRANGE( 0, INT_MAX )", ")", true},
      {"BLANK MAKEIRANGE( 0, INT_MAX )", "5", false},
      {"BLANK MAKEIRANGE( 0, INT_MAX )", "0", false},
      {"P(x)", "P(x)", true},
  });
}

TEST(RuleMatcher, IntegerRangeTakesWholeSigned32BitNumbers) {
  expectCases({
      {"I(1024,65535)", "1024", true},
      {"I(1024,65535)", "65535", true},
      {"I(1024,65535)", "+8080", true},
      {"I(1024,65535)", "1023", false},
      {"I(1024,65535)", "65536", false},
      {"I(1024,65535)", "80a", false},
      {"I(1024,65535)", "8080.0", false},
      {"I(1024,65535)", "", false},
      {"I(0,4294967296)", "4294967296", false},
      {"I(0,4294967296)", "2147483647", true},
      {"I(0,4294967296)", "2147483648", false},
      {"I(-1,64000)", "-1", true},
      {"I(-1,64000)", "-2", false},
      {"i( 1 , 5 )", "3", true},
      {"SYSTEM -1 I(0,6)", "system", true},
      {"SYSTEM -1 I(0,6)", "-1", true},
      {"SYSTEM -1 I(0,6)", "7", false},
  });
}

TEST(RuleMatcher, RealRangeTakesFloatingPointNumbers) {
  expectCases({
      {"F(1e-10,1)", "0.5", true},
      {"F(1e-10,1)", "1E-5", true},
      {"F(1e-10,1)", "1", true},
      {"F(1e-10,1)", "0", false},
      {"F(1e-10,1)", "1.5", false},
      {"F(1e-10,1)", "0.5x", false},
      {"-1  F(0.1,100000.0)", "-1", true},
      {"-1  F(0.1,100000.0)", "100000", true},
      {"-1  F(0.1,100000.0)", "100000.1", false},
  });
}

TEST(RuleMatcher, PairRangeTakesTwoOrderedNumbersAndASeparator) {
  expectCases({
      {"R(1,65535,':')", "100:200", true},
      {"R(1,65535,':')", "100 : 200", true},
      {"R(1,65535,':')", "100:100", true},
      {"R(1,65535,':')", "200:100", false},
      {"R(1,65535,':')", "100", false},
      {"R(1,65535,':')", "100:", false},
      {"R(1,65535,':')", "100-200", false},
      {"R(1,65535,':')", "0:200", false},
      {"R(1,65535,':')", "100:70000", false},
      {"R(1,65535,':')", "100:200x", false},
      {"R(1,65535,':')", ":200", false},
      {"R(0,65535,':,')", "1,2", true},
      // An empty separator set wants blanks between the numbers.
      {"R(0,9,'')", "1 2", true},
      {"R(0,9,'')", "1  2", true},
      {"R(0,9,'')", "1+2", false},
      {"BLANK NULL R(1,65535,':')", "null", true},
  });
}

TEST(RuleMatcher, StringFormChecksLengthAndCharacterSets) {
  const char* kDatabase =
      "S(1,8,'abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789@#$_',"
      "'abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ@#$')";
  expectCases({
      {kDatabase, "SAMPLE1", true},
      {kDatabase, "@db_1", true},
      {kDatabase, "1SAMPLE", false},
      {kDatabase, "SAMPLE-1", false},
      {kDatabase, "SAMPLE123", false},
      {"S(1,14,'! #')", "svc-name", true},
      {"S(1,14,'! #')", " svc", false},
      {"S(1,14,'! #')", "svc name", false},
      {"S(1,14,'! #')", "#svc", false},
      {"S(1,14,'! #')", "svc#", false},
      {"S(1,14,'! #')", "fifteen-chars-x", false},
      {"S(1)", "x", true},
      {"S(1)", std::string(5000, 'x').c_str(), true},
      {"S(1,8)", "12345678", true},
      {"S(1,8)", "123456789", false},
      {"S(256,2147483647)", std::string(255, 'x').c_str(), false},
      {"S(256,2147483647)", std::string(256, 'x').c_str(), true},
      {"S(0x2,010)", "ab", true},
      {"S(0x2,010)", "123456789", false},
      {"S(1,9,'')", "any thing", true},
      {"S(1,9,'','AB')", "Bxyz", true},
      {"S(1,9,'','AB')", "xyz", false},
      {"S(1,4,'a''b')", "a'b", true},
      {"S(1,4,'a''b')", "a\"b", false},
      {"S(1,8,'! ABCDEFGHIJKLMNOPQRSTUVWXYZ')", "lower", true},
      {"S(1,8,'! ABCDEFGHIJKLMNOPQRSTUVWXYZ')", "Upper", false},
  });
}

TEST(RuleMatcher, ListFormMatchesEveryItemAndCountsThem) {
  std::string seventeen = "1";
  for (int i = 0; i < 16; ++i) seventeen += ",1";
  std::string sixteen = seventeen.substr(2);
  expectCases({
      {"L(0,16,',', I(0,254) )", "1,2,3", true},
      {"L(0,16,',', I(0,254) )", ",,,", true},
      {"L(0,16,',', I(0,254) )", "1, 2 ,3", true},
      {"L(0,16,',', I(0,254) )", "1,300", false},
      {"L(0,16,',', I(0,254) )", sixteen.c_str(), true},
      {"L(0,16,',', I(0,254) )", seventeen.c_str(), false},
      {"BLANK NULL  L(2,2,',',I(0,2048))", "1,2", true},
      {"BLANK NULL  L(2,2,',',I(0,2048))", "1", false},
      {"BLANK NULL  L(2,2,',',I(0,2048))", "1,2,3", false},
      {"BLANK L(0,100,', ',APPC NETBIOS TCPIP NPIPE)", "tcpip, appc npipe", true},
      {"BLANK L(0,100,', ',APPC NETBIOS TCPIP NPIPE)", "TCPIP,IPX", false},
      {"L(1,3,';',S(1,3,'a)b'))", "a)b;ab", true},
      {"L(1,3,';',S(1,3,'a)b'))", "a)c", false},
      {"L(1,5,',',L(1,2,':',YES NO))", "yes:no,no", true},
      {"L(1,5,',',L(1,2,':',YES NO))", "yes:no:yes", false},
  });
}

TEST(RuleMatcher, UnreadableAlternativeAcceptsEveryValueThatReachesIt) {
  expectCases({
      {"BLANK  S(1,KAS_CONTACT_HOST_SZ)", "anything at all", true},
      {"S(1,KAS_SMTP_SERVER_SZ,'! ')", "has blanks", true},
      {"AUTOMATIC  I(0,((Uint64)68719476736))", "-5", true},
      // A blank after the comma is taken as the opening quote.
      {"R(0, 999, ',')", "not a pair", true},
      {"I(1,2)  S(1", "9", true},
      {"I(1,2) S(1,2,'ab", "9", true},
      {"L(0,5,'',YES)", "maybe", true},
      {"L(0,5,',',)", "maybe", true},
      {"L(0,5,',',YES", "maybe", true},
      // An unreadable item rule accepts the whole list, whatever its count.
      {"L(2,3,',',S(1,X))", "one", true},
      {"L(1,1,',',S(1,X))", "a,b,c", true},
      {"L(1,2,',',YES S(1,X))", "yes,no,yes", true},
      {"L(1,2,',',YES I(1,2))", "yes,no", false},
      {"I(1e999,2)", "1", true},
      // Matching stops at the first alternative that matches or cannot be
      // read; an unreadable alternative after a failing one still accepts.
      {"YES I(x,1)", "no", true},
      // ...but one that matches first is the answer, and a readable rule
      // rejects normally.
      {"YES I(1,2)", "no", false},
  });
}

TEST(RuleMatcher, MissingRuleOrValueCountsAsAMatch) {
  EXPECT_TRUE(matchRule(nullptr, nullptr, "YES NO"));
  EXPECT_TRUE(matchRule(nullptr, "x", nullptr));
}

TEST(RuleMatcher, PathFormRefusesDriveRelativeAndRootRelativeNames) {
  // These never reach the file system.
  expectCases({
      {"P()", "\\rooted\\file.txt", false},
      {"P()", "C:file.txt", false},
  });
}

TEST(RuleMatcher, IsSafeToCallFromSeveralThreadsAtOnce) {
  const std::vector<RuleCase> cases = {
      {"F(1e-10,1)", "0.5", true},
      {"F(1e-10,1)", "2", false},
      {"L(0,16,',', I(0,254) )", "1,300", false},
      {"SYS* DBM* QOR*", "sysadm", true},
  };
  std::vector<std::thread> threads;
  std::vector<int> failures(4, 0);
  for (int t = 0; t < 4; ++t) {
    threads.emplace_back([&, t] {
      for (int round = 0; round < 2000; ++round) {
        for (const RuleCase& c : cases) {
          if (matchRule(nullptr, c.value, c.rule) != c.matches) ++failures[t];
        }
      }
    });
  }
  for (std::thread& thread : threads) thread.join();
  EXPECT_EQ(failures, std::vector<int>(4, 0));
}

}  // namespace
