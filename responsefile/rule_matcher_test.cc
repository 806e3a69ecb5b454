#include "responsefile/rule_matcher.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

// A rule with the values it must accept and those it must refuse.
struct RuleValues {
  const char* rule;
  std::vector<std::string> accepted;
  std::vector<std::string> refused;
};

// Each rule is a literal that stays in place, so it also goes through the
// reading the matcher keeps for the catalogue's rules.
void expectCases(const std::vector<RuleValues>& cases) {
  for (const RuleValues& c : cases) {
    for (auto* match : {matchRule, matchFixedRule}) {
      for (const std::string& value : c.accepted) {
        EXPECT_TRUE(match(nullptr, value.c_str(), c.rule))
            << "rule \"" << c.rule << "\" value \"" << value << "\"";
      }
      for (const std::string& value : c.refused) {
        EXPECT_FALSE(match(nullptr, value.c_str(), c.rule))
            << "rule \"" << c.rule << "\" value \"" << value << "\"";
      }
    }
  }
}

TEST(RuleMatcher, WordsCompareWholeValuesIgnoringCase) {
  expectCases({
      {"YES NO", {"yes", "No", "YES"}, {"YESS", "YE", ""}},
      {"  TYPICAL COMPACT CUSTOM COMPLETE  ", {"custom"}, {}},
      {"ON null", {"NULL"}, {}},
      {"2 5 6 7 8", {"7"}, {"3"}},
      {"", {}, {"anything"}},
  });
}

TEST(RuleMatcher, StarIsAWildCardAndADoubledStarALiteralOne) {
  expectCases({
      {"SYS* DBM* QOR*", {"sysadm", "Qor1", "QOR"}, {"myqor"}},
      // The first dollar sign is taken; nothing may follow it.
      {"*$", {"user$"}, {"us$er$", "user"}},
      {"http://*", {"HTTP://host"}, {"https://host"}},
      {"/.:/* /.../*", {"/.../cell/x"}, {"/..:/x"}},
      {"**", {"*"}, {"**", "x"}},
      {"a**b", {"a*b"}, {"axb"}},
      {"*b*d", {"abcd"}, {"abcde"}},
      {"BLANK NULL **  L(1,9,',', I(0,4095) )", {"*"}, {}},
  });
}

TEST(RuleMatcher, CallLikeTextsThatAreNoFormAreWords) {
  expectCases({
      {"BLANK MAKEIRANGE( 0, INT_MAX )", {"BLANK", "int_max", "0,", ")"}, {"5", "0"}},
      {"P(x)", {"P(x)"}, {}},
  });
}

TEST(RuleMatcher, IntegerRangeTakesWholeSigned32BitNumbers) {
  expectCases({
      {"I(1024,65535)", {"1024", "65535", "+8080"}, {"1023", "65536", "80a", "8080.0", ""}},
      {"I(0,4294967296)", {"2147483647"}, {"4294967296", "2147483648"}},
      {"I(-1,64000)", {"-1"}, {"-2"}},
      {"i( 1 , 5 )", {"3"}, {}},
      {"SYSTEM -1 I(0,6)", {"system", "-1"}, {"7"}},
  });
}

TEST(RuleMatcher, RealRangeTakesFloatingPointNumbers) {
  expectCases({
      {"F(1e-10,1)", {"0.5", "1E-5", "1"}, {"0", "1.5", "0.5x"}},
      {"-1  F(0.1,100000.0)", {"-1", "100000"}, {"100000.1"}},
  });
}

TEST(RuleMatcher, PairRangeTakesTwoOrderedNumbersAndASeparator) {
  expectCases({
      {"R(1,65535,':')",
       {"100:200", "100 : 200", "100:100"},
       {"200:100", "100", "100:", "100-200", "0:200", "100:70000", "100:200x", ":200"}},
      {"R(0,65535,':,')", {"1,2"}, {}},
      // An empty separator set wants blanks between the numbers.
      {"R(0,9,'')", {"1 2", "1  2"}, {"1+2"}},
      {"BLANK NULL R(1,65535,':')", {"null"}, {}},
  });
}

TEST(RuleMatcher, StringFormChecksLengthAndCharacterSets) {
  const char* kDatabase =
      "S(1,8,'abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789@#$_',"
      "'abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ@#$')";
  expectCases({
      {kDatabase, {"SAMPLE1", "@db_1"}, {"1SAMPLE", "SAMPLE-1", "SAMPLE123"}},
      {"S(1,14,'! #')", {"svc-name"}, {" svc", "svc name", "#svc", "svc#", "fifteen-chars-x"}},
      {"S(1)", {"x", std::string(5000, 'x')}, {}},
      {"S(1,8)", {"12345678"}, {"123456789"}},
      {"S(256,2147483647)", {std::string(256, 'x')}, {std::string(255, 'x')}},
      {"S(0x2,010)", {"ab"}, {"123456789"}},
      {"S(1,9,'')", {"any thing"}, {}},
      {"S(1,9,'','AB')", {"Bxyz"}, {"xyz"}},
      {"S(1,4,'a''b')", {"a'b"}, {"a\"b"}},
      {"S(1,8,'! ABCDEFGHIJKLMNOPQRSTUVWXYZ')", {"lower"}, {"Upper"}},
  });
}

TEST(RuleMatcher, ListFormMatchesEveryItemAndCountsThem) {
  std::string seventeen = "1";
  for (int i = 0; i < 16; ++i) seventeen += ",1";
  std::string sixteen = seventeen.substr(2);
  expectCases({
      {"L(0,16,',', I(0,254) )", {"1,2,3", ",,,", "1, 2 ,3", sixteen}, {"1,300", seventeen}},
      {"BLANK NULL  L(2,2,',',I(0,2048))", {"1,2"}, {"1", "1,2,3"}},
      {"BLANK L(0,100,', ',APPC NETBIOS TCPIP NPIPE)", {"tcpip, appc npipe"}, {"TCPIP,IPX"}},
      {"L(1,3,';',S(1,3,'a)b'))", {"a)b;ab"}, {"a)c"}},
      {"L(1,5,',',L(1,2,':',YES NO))", {"yes:no,no"}, {"yes:no:yes"}},
  });
}

TEST(RuleMatcher, UnreadableAlternativeAcceptsEveryValueThatReachesIt) {
  expectCases({
      {"BLANK  S(1,KAS_CONTACT_HOST_SZ)", {"anything at all"}, {}},
      {"S(1,KAS_SMTP_SERVER_SZ,'! ')", {"has blanks"}, {}},
      {"AUTOMATIC  I(0,((Uint64)68719476736))", {"-5"}, {}},
      // A blank after the comma is taken as the opening quote.
      {"R(0, 999, ',')", {"not a pair"}, {}},
      {"I(1,2)  S(1", {"9"}, {}},
      {"I(1,2) S(1,2,'ab", {"9"}, {}},
      {"L(0,5,'',YES)", {"maybe"}, {}},
      {"L(0,5,',',)", {"maybe"}, {}},
      {"L(0,5,',',YES", {"maybe"}, {}},
      // An unreadable item rule accepts the whole list, whatever its count.
      {"L(2,3,',',S(1,X))", {"one"}, {}},
      {"L(1,1,',',S(1,X))", {"a,b,c"}, {}},
      {"L(1,2,',',YES S(1,X))", {"yes,no,yes"}, {}},
      {"L(1,2,',',YES I(1,2))", {}, {"yes,no"}},
      {"I(1e999,2)", {"1"}, {}},
      // Matching stops at the first alternative that matches or cannot be
      // read; an unreadable alternative after a failing one still accepts.
      {"YES I(x,1)", {"no"}, {}},
      // ...but one that matches first is the answer, and a readable rule
      // rejects normally.
      {"YES I(1,2)", {}, {"no"}},
  });
}

TEST(RuleMatcher, MissingRuleOrValueCountsAsAMatch) {
  EXPECT_TRUE(matchRule(nullptr, nullptr, "YES NO"));
  EXPECT_TRUE(matchRule(nullptr, "x", nullptr));
}

}  // namespace
