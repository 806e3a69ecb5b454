// Arbitrary command lines: the input, split at its NUL bytes, is the
// arguments after the program name. The scan answers one of its codes (and
// the same with the arguments' roles), and every option value found lies
// inside the joined line, after its option, and within its limit.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "launcher/argument_scan.h"
#include "launcher/command_options.h"
#include "launcher/launcher_codes.h"
#include "launcher/option_extraction.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size) {
  const std::string input(reinterpret_cast<const char*>(data), size);
  std::vector<std::string> args = {"setup"};
  for (std::size_t start = 0; start <= input.size() && args.size() < 64;) {
    std::size_t end = input.find('\0', start);
    if (end == std::string::npos) end = input.size();
    args.push_back(input.substr(start, end - start));
    start = end + 1;
  }
  std::vector<char*> argv;
  for (std::string& arg : args) argv.push_back(arg.data());
  argv.push_back(nullptr);
  const uint32_t scanned = scanArguments(static_cast<int>(args.size()), argv.data());
  if (scanned != 0 && scanned != kHelpRequested && scanned != kUnknownArgument) __builtin_trap();
  // The roles agree with the code, and a value follows an option.
  std::vector<ArgumentRole> roles(args.size());
  if (scanArguments(static_cast<int>(args.size()), argv.data(), roles.data()) != scanned) {
    __builtin_trap();
  }
  for (std::size_t i = 1; i < roles.size(); ++i) {
    if (roles[i] == ArgumentRole::kValue && roles[i - 1] != ArgumentRole::kOption) __builtin_trap();
  }

  // setup's own reading: every option found where its value begins after it.
  ArgumentLineText joined;
  if (joinArguments(static_cast<int>(args.size()), argv.data(), joined)) {
    const CommandOptions options(joined.view());
    for (const FoundOption& found : options.all()) {
      if (found.outcome == OptionOutcome::kAbsent) continue;
      if (found.match + 2 > joined.size() ||
          (found.outcome == OptionOutcome::kValue &&
           (found.value.data() < joined.c_str() + found.match + 3 ||
            found.value.data() + found.value.size() > joined.c_str() + joined.size()))) {
        __builtin_trap();
      }
    }
  }

  std::string line;
  for (std::size_t i = 1; i < args.size(); ++i) line += args[i] + "|";
  for (const char letter : {'l', 'u', 'n', 'p', 'i', 'm', 'o', 'L', '?'}) {
    for (const std::size_t limit :
         {std::size_t{0}, std::size_t{2}, std::size_t{64}, std::size_t{260}}) {
      std::string_view value;
      if (extractOption(line, letter, limit, &value) != OptionOutcome::kValue) continue;
      if (value.size() > limit || value.data() < line.data() ||
          value.data() + value.size() > line.data() + line.size()) {
        __builtin_trap();
      }
    }
  }
  return 0;
}
