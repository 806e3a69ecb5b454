#include "emulation/machine/program_arguments.h"

#include <cstdlib>

#include "emulation/machine/host_text.h"

namespace emulated {
namespace {

bool isBlank(char c) { return c == ' ' || c == '\t'; }

}  // namespace

CommandLine splitCommandLine(std::string_view line) {
  CommandLine result;
  std::size_t i = 0;
  while (i < line.size() && isBlank(line[i])) ++i;
  if (i < line.size() && line[i] == '"') {
    const std::size_t close = line.find('"', i + 1);
    const std::size_t end = close == std::string_view::npos ? line.size() : close;
    result.program = std::string(line.substr(i + 1, end - i - 1));
    i = close == std::string_view::npos ? line.size() : close + 1;
  } else {
    const std::size_t start = i;
    while (i < line.size() && !isBlank(line[i])) ++i;
    result.program = std::string(line.substr(start, i - start));
  }

  for (;;) {
    while (i < line.size() && isBlank(line[i])) ++i;
    if (i >= line.size()) break;
    std::string argument;
    bool quoted = false;
    while (i < line.size() && (quoted || !isBlank(line[i]))) {
      std::size_t backslashes = 0;
      while (i < line.size() && line[i] == '\\') {
        ++backslashes;
        ++i;
      }
      if (i < line.size() && line[i] == '"') {
        argument.append(backslashes / 2, '\\');
        if (backslashes % 2 == 1) {
          argument += '"';
          ++i;
        } else if (quoted && i + 1 < line.size() && line[i + 1] == '"') {
          argument += '"';
          i += 2;
        } else {
          quoted = !quoted;
          ++i;
        }
        continue;
      }
      argument.append(backslashes, '\\');
      if (i < line.size() && (quoted || !isBlank(line[i]))) argument += line[i++];
    }
    result.arguments.push_back(std::move(argument));
  }
  return result;
}

std::string joinCommandLine(std::string_view program, const std::vector<std::string>& arguments) {
  std::string line = "\"" + std::string(program) + "\"";
  for (const std::string& argument : arguments) {
    const bool quoted = argument.empty() || argument.find_first_of(" \t") != std::string::npos;
    line += quoted ? " \"" : " ";
    std::size_t backslashes = 0;
    for (char c : argument) {
      if (c == '\\') {
        ++backslashes;
      } else {
        if (c == '"') line.append(backslashes + 1, '\\');
        backslashes = 0;
      }
      line += c;
    }
    if (quoted) line.append(backslashes, '\\').append(1, '"');
  }
  return line;
}

const char* parentCommandLine(const std::vector<std::string>& arguments) {
  const char* line = std::getenv(kCommandLineVariable);
  return line != nullptr && splitCommandLine(line).arguments == arguments ? line : nullptr;
}

std::vector<std::string> hostArgumentsInAnsi(const std::vector<std::string>& typed) {
  std::vector<std::string> converted;
  converted.reserve(typed.size());
  for (const std::string& argument : typed) converted.push_back(hostTextToAnsi(argument));
  return converted;
}

}  // namespace emulated
