#include "launcher/argument_scan.h"

#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "launcher/launcher_codes.h"

namespace {

uint32_t scan(std::vector<std::string> args) {
  args.insert(args.begin(), "setup");
  std::vector<char*> argv;
  for (std::string& a : args) argv.push_back(a.data());
  return scanArguments(static_cast<int>(argv.size()), argv.data());
}

TEST(ArgumentScan, AcceptsOptionsAndPassesOverTheirValues) {
  struct Case {
    std::vector<std::string> args;
    uint32_t code;
  } const cases[] = {
      {{}, 0},
      {{"/l", "C:\\x.log", "-U", "a.rsp", "/m", "/P", "C:\\p", "-i", "DE", "/N", "A"}, 0},
      {{"/o", "-O", "/M", "-showcommand"}, 0},
      {{"-showcommandextra"}, 0},
      // The value after /l may look like anything, even help.
      {{"/l", "/?"}, 0},
      {{"/n", "-x"}, 0},
      // Only the first two characters are compared.
      {{"/lC:\\x.log", "ignored"}, 0},
      {{"/?"}, kHelpRequested},
      {{"-?"}, kHelpRequested},
      {{"/h"}, kHelpRequested},
      {{"-help"}, kHelpRequested},
      {{"-H"}, kUnknownArgument},
      {{"/H"}, kUnknownArgument},
      {{"-SHOWCOMMAND"}, kUnknownArgument},
      {{"-show"}, kUnknownArgument},
      {{"setup.log"}, kUnknownArgument},
      {{""}, kUnknownArgument},
      {{"/"}, kUnknownArgument},
      {{"/x", "/?"}, kUnknownArgument},
      {{"/?", "/x"}, kHelpRequested},
      // /m and /o take no value: what follows is an argument of its own.
      {{"/m", "C:\\x"}, kUnknownArgument},
  };
  for (const Case& c : cases) {
    std::string joined;
    for (const std::string& a : c.args) joined += a + " ";
    EXPECT_EQ(scan(c.args), c.code) << joined;
  }
}

}  // namespace
