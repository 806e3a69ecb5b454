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

uint32_t scanArguments(int argc, char** argv) {
  for (int i = 1; i < argc; ++i) {
    const char* argument = argv[i] != nullptr ? argv[i] : "";
    if (startsWithAny(argument, kHelpForms)) return kHelpRequested;
    if (startsWithAny(argument, kOptionsWithValue)) {
      ++i;
    } else if (!startsWithAny(argument, kOptionsWithoutValue) &&
               std::strncmp(argument, kShowCommand, sizeof kShowCommand - 1) != 0) {
      return kUnknownArgument;
    }
  }
  return 0;
}
