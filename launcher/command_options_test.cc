#include "launcher/command_options.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

// setup's argument vector: the program name, then args.
struct Argv {
  explicit Argv(std::vector<std::string> args) : words(std::move(args)) {
    words.insert(words.begin(), "setup");
    for (std::string& word : words) pointers.push_back(word.data());
  }
  int argc() { return static_cast<int>(words.size()); }
  std::vector<std::string> words;
  std::vector<char*> pointers;
};

TEST(CommandOptions, JoinsTheArgumentsUpToTheirLimit) {
  ArgumentLineText line;
  Argv none({});
  EXPECT_TRUE(joinArguments(none.argc(), none.pointers.data(), line));
  EXPECT_EQ(line.view(), "");
  Argv some({"/u", "", "C:\\a b.rsp"});
  EXPECT_TRUE(joinArguments(some.argc(), some.pointers.data(), line));
  EXPECT_EQ(line.view(), "/u||C:\\a b.rsp|");
  // The separators do not count: 1023 characters in 512 arguments fit.
  std::vector<std::string> many(511, "aa");
  many.push_back("b");
  Argv full(many);
  EXPECT_TRUE(joinArguments(full.argc(), full.pointers.data(), line));
  EXPECT_EQ(line.size(), 1023u + 512u);
  many.back() = "bb";
  Argv over(many);
  EXPECT_FALSE(joinArguments(over.argc(), over.pointers.data(), line));
  EXPECT_TRUE(line.empty());
}

// Each option with its field's limit, where the search found it, and /o
// only without /n, /p and /u.
TEST(CommandOptions, FindsEveryOptionWithItsPlaceAndLimit) {
  const std::string copy64(64, 'C');
  const std::string line = "/u|C:\\rsp\\drv.rsp|/l|C:\\logs\\kv7-install.log|/n|" + copy64 + "|/o|";
  const CommandOptions options(line);
  EXPECT_EQ(options.responseFile().outcome, OptionOutcome::kValue);
  EXPECT_EQ(options.responseFile().match, 0u);
  EXPECT_EQ(options.responseFile().value, "C:\\rsp\\drv.rsp");
  EXPECT_EQ(options.language().outcome, OptionOutcome::kValue);
  EXPECT_EQ(options.language().match, line.find("-install"));
  EXPECT_EQ(options.language().value, "stall.log");
  EXPECT_EQ(options.copyName().value, copy64);
  EXPECT_TRUE(options.newCopy().given());
  EXPECT_FALSE(options.newCopyRequested());
  EXPECT_EQ(options.basicUi().outcome, OptionOutcome::kAbsent);
  EXPECT_EQ(options.basicUi().match, std::string_view::npos);

  const CommandOptions longName("/n|" + copy64 + "C|/o|");
  EXPECT_EQ(longName.copyName().outcome, OptionOutcome::kTooLong);
  EXPECT_FALSE(longName.copyName().given());
  EXPECT_TRUE(longName.newCopyRequested());
  EXPECT_EQ(CommandOptions("/p|").installPath().outcome, OptionOutcome::kEmpty);
  EXPECT_FALSE(CommandOptions("/p||/o|").newCopyRequested());
}

}  // namespace
