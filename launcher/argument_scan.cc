#include "launcher/argument_scan.h"

#include <cstring>

#include "launcher/launcher_codes.h"

namespace {

bool startsWithAny(const char* argument, const char* const* prefixes) {
  for (; *prefixes != nullptr; ++prefixes) {
    if (std::strncmp(argument, *prefixes, 2) == 0) return true;
  }
  return false;
}

constexpr const char* kHelpForms[] = {"-?", "/?", "-h", "/h", nullptr};
constexpr const char* kOptionsWithValue[] = {"-l", "/l", "-L", "/L", "-u", "/u", "-U",
                                             "/U", "-p", "/p", "-P", "/P", "-i", "/i",
                                             "-I", "/I", "-n", "/n", "-N", "/N", nullptr};
constexpr const char* kOptionsWithoutValue[] = {"-m", "/m", "-M", "/M",   "-o",
                                                "/o", "-O", "/O", nullptr};
constexpr char kShowCommand[] = "-showcommand";

}  // namespace

uint32_t scanArguments(int argc, char** argv, ArgumentRole* roles) {
  auto take = [roles](int i, ArgumentRole role) {
    if (roles != nullptr) roles[i] = role;
  };
  for (int i = 0; roles != nullptr && i < argc; ++i) roles[i] = ArgumentRole::kNotReached;
  for (int i = 1; i < argc; ++i) {
    const char* argument = argv[i] != nullptr ? argv[i] : "";
    if (startsWithAny(argument, kHelpForms)) {
      take(i, ArgumentRole::kHelp);
      return kHelpRequested;
    }
    if (startsWithAny(argument, kOptionsWithValue)) {
      take(i, ArgumentRole::kOption);
      if (++i < argc) take(i, ArgumentRole::kValue);
    } else if (startsWithAny(argument, kOptionsWithoutValue) ||
               std::strncmp(argument, kShowCommand, sizeof kShowCommand - 1) == 0) {
      take(i, ArgumentRole::kOption);
    } else {
      take(i, ArgumentRole::kUnknown);
      return kUnknownArgument;
    }
  }
  return 0;
}
