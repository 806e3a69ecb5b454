// kv7inventory: prints the installed copies of the product family and their
// products exactly as setup sees them. Reads only.

#include <cstdio>
#include <cstring>

#include "platform/platform.h"
#include "tools/kv7inventory/inventory_json.h"
#include "tools/kv7inventory/inventory_report.h"

namespace {

constexpr const char* kUsage =
    "Usage: kv7inventory [/32] [--json]\n"
    "Prints every installed copy of the product family as setup sees it: name,\n"
    "path, legacy flag, version, product generation and products, then the\n"
    "copies skipped as invalid.\n"
    "  /32      read the 32-bit registry view instead of the default view\n"
    "  --json   one JSON document instead (schema version 1, described in the\n"
    "           README), with each product's install state and each copy's\n"
    "           instances\n"
    "Exit code: 0 complete, 1 usage error, 2 the copies could not all be read.\n";

bool isOption(const char* arg, const char* name) {
  return (arg[0] == '/' || arg[0] == '-') && std::strcmp(arg + 1, name) == 0;
}

uint32_t runInventory(int argc, char** argv) {
  bool use32BitView = false;
  bool json = false;
  for (int i = 1; i < argc; ++i) {
    if (isOption(argv[i], "32")) {
      use32BitView = true;
    } else if (isOption(argv[i], "-json") || isOption(argv[i], "json")) {
      json = true;
    } else if (isOption(argv[i], "?") || isOption(argv[i], "h") || isOption(argv[i], "-help")) {
      std::fputs(kUsage, stdout);
      return kInventoryComplete;
    } else {
      std::fprintf(stderr, "kv7inventory: unknown argument \"%s\"\n%s", argv[i], kUsage);
      return kInventoryUsageError;
    }
  }
  return json ? writeInventoryJson(stdout, use32BitView) : writeInventory(stdout, use32BitView);
}

}  // namespace

int main(int argc, char** argv) {
  uint32_t code = platform::startProgram(argc, argv);
  if (code == 0) code = runInventory(argc, argv);
  std::fflush(stdout);
  return platform::finishProgram(code);
}
