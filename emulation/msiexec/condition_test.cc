#include "emulation/msiexec/condition.h"

#include <gtest/gtest.h>

#include <cstdlib>

namespace msiexec {
namespace {

TEST(ConditionTest, EvaluatesConditionsOverProperties) {
  PropertyTable p;
  p.set("NAME", "SITEA");
  p.set("SAVED", "SITEB");
  p.set("Installed", "1");
  p.set("VersionNT", "603");
  p.set("ZERO", "0");
  p.set("MIXED", "Driver Files");
  ::setenv("KV7_CONDITION_TEST", "on", 1);
  struct Case {
    const char* condition;
    bool expected;
  };
  const Case cases[] = {
      {"", true},
      {"   ", true},
      {"NAME", true},
      {"MISSING", false},
      {"ZERO", true},  // set, whatever its value
      {"NOT NAME", false},
      {"NOT MISSING", true},
      {"not name", true},  // keywords in any case; "name" is another property
      {"NOT MISSING AND SAVED", true},
      {"NOT NAME AND SAVED", false},
      {"MISSING OR SAVED", true},
      {"NAME XOR SAVED", false},
      {"NAME EQV MISSING", false},
      {"MISSING IMP NAME", true},
      {"NAME IMP MISSING", false},
      {"NOT (NAME AND MISSING)", true},
      {"MISSING AND SAVED OR NAME", true},  // AND binds tighter than OR
      {"NAME OR SAVED AND MISSING", true},
      {"NAME = \"SITEA\"", true},
      {"NAME = \"sitea\"", false},
      {"NAME ~= \"sitea\"", true},
      {"NAME <> \"SITEA\"", false},
      {"NAME < \"SITEB\"", true},
      {"MIXED >< \"Files\"", true},
      {"MIXED << \"Driver\"", true},
      {"MIXED >> \"Driver\"", false},
      {"MIXED ~>> \"FILES\"", true},
      {"VersionNT >= 600", true},
      {"VersionNT < 600", false},
      {"VersionNT = \"603\"", true},  // a text literal compares texts
      {"NAME = 5", false},            // a text is never equal to an integer
      {"NAME <> 5", true},
      {"MISSING = \"\"", true},
      {"-1 < 0", true},
      {"0", false},
      {"7", true},
      {"\"\"", false},
      {"%KV7_CONDITION_TEST = \"on\"", true},
      {"%KV7_CONDITION_TEST_UNSET", false},
      {"Installed AND NOT REMOVE", true},
      {"MISSING IMP MISSING IMP MISSING", false},  // left to right: (F IMP F) IMP F
      {"NOT NAME OR SAVED", true},                 // NOT binds tightest
      {"(MISSING OR NAME) AND NOT (SAVED AND NAME)", false},
  };
  for (const Case& c : cases) {
    bool result = !c.expected;
    std::string error;
    ASSERT_TRUE(evaluateCondition(c.condition, p, &result, &error)) << c.condition << ": " << error;
    EXPECT_EQ(result, c.expected) << c.condition;
  }
  // Any depth of parentheses and NOTs.
  const std::size_t deep = 200000;
  std::string repeatedNot;
  for (std::size_t i = 0; i <= deep; ++i) repeatedNot += "NOT ";
  for (const Case& c : {Case{"", false}, Case{"", true}}) {
    const std::string condition = c.expected
                                      ? std::string(deep, '(') + "NAME" + std::string(deep, ')')
                                      : repeatedNot + "NAME";
    bool result = !c.expected;
    std::string error;
    ASSERT_TRUE(evaluateCondition(condition, p, &result, &error)) << error;
    EXPECT_EQ(result, c.expected);
  }
}

TEST(ConditionTest, RefusesInvalidConditions) {
  PropertyTable p;
  for (const char* condition :
       {"NAME = ", "(NAME", "NAME)", "NAME AND", "AND NAME", "\"open", "NAME == 1",
        "$Component = 3", "&Feature = 3", "NAME @ 1", "99999999999 > 1", "NAME ~ 1", "()",
        "NAME SAVED", "NOT", "(NAME))", "((NAME)"}) {
    bool result = false;
    std::string error;
    EXPECT_FALSE(evaluateCondition(condition, p, &result, &error)) << condition;
    EXPECT_FALSE(error.empty()) << condition;
  }
}

}  // namespace
}  // namespace msiexec
