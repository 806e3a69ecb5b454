#include "process/runner_command.h"

#include "base/ascii.h"
#include "platform/platform.h"
#include "process/runner_codes.h"

namespace {

struct ProgramExtension {
  std::string_view text;
  bool quoted;  // quoted programs; the others are named by their short form
};

constexpr ProgramExtension kProgramExtensions[] = {
    {".exe", true}, {".bat", false}, {".com", true}, {".cmd", false}};

// The capacity in which the short form of a script path is asked for, as for
// every path of the system.
using ShortPathText = FixedText<261>;

// The short form of path, or path itself when it has none or it does not fit.
bool appendShortForm(std::string_view path, CommandLineText& commandLine) {
  ShortPathText longForm;
  ShortPathText shortForm;
  if (longForm.assign(path)) {
    uint32_t length = platform::getShortPathName(longForm.c_str(), shortForm.data(),
                                                 static_cast<uint32_t>(ShortPathText::kCapacity));
    if (length != 0 && length < ShortPathText::kCapacity) {
      shortForm.syncLength();
      return commandLine.append(shortForm.view());
    }
  }
  return commandLine.append(path);
}

bool compose(std::string_view command, CommandLineText& commandLine) {
  for (const ProgramExtension& extension : kProgramExtensions) {
    std::size_t found = ascii::findNoCase(command, extension.text);
    if (found == std::string_view::npos) continue;
    std::size_t programEnd = found + extension.text.size();
    std::string_view program = command.substr(0, programEnd);
    std::string_view arguments = command.substr(programEnd);
    if (!extension.quoted)
      return appendShortForm(program, commandLine) && commandLine.append(arguments);
    bool opened = !command.empty() && command.front() == '"';
    if (!arguments.empty() && arguments.front() == '"') arguments.remove_prefix(1);
    return (opened || commandLine.append('"')) && commandLine.append(program) &&
           commandLine.append('"') && commandLine.append(arguments);
  }
  return true;  // no program: nothing to write
}

}  // namespace

uint32_t normaliseCommand(std::string_view command, CommandLineText& commandLine) {
  commandLine.clear();
  if (compose(command, commandLine)) return 0;
  commandLine.clear();
  return kRunnerTextDoesNotFit;
}

uint32_t composeStatementCommand(std::string_view statement, bool allOutputMode,
                                 CommandLineText& commandLine) {
  uint32_t result = normaliseCommand("kv7.exe", commandLine);
  if (result != 0) return result;
  if (commandLine.append(allOutputMode ? " -a -v \"" : " -ec -v \"") &&
      commandLine.append(statement) && commandLine.append('"')) {
    return 0;
  }
  commandLine.clear();
  return kRunnerTextDoesNotFit;
}
