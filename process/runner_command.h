#pragma once

#include <cstddef>
#include <cstdint>
#include <string_view>

#include "base/fixed_text.h"

// The runner's command line holds the longest command the launcher composes
// (CommandText, 4096 characters) together with the two double quotes that
// normalising may add around its program part, so a composed command always
// runs whole. Anything longer is refused, never cut.
constexpr std::size_t kCommandLineCapacity = CommandText::kMaxLength + 2 + 1;
using CommandLineText = FixedText<kCommandLineCapacity>;

// Writes command into commandLine ready for process creation. The program
// part ends after the first of ".exe", ".bat", ".com", ".cmd" (tried in this
// order, letter case ignored) that occurs anywhere in the command. A ".exe" or
// ".com" program is put in double quotes exactly once; a ".bat" or ".cmd"
// program is replaced by its short (8.3) form when it has one, without quotes.
// The arguments follow unchanged. Without any of these extensions commandLine
// is left empty: there is no program to run.
// 0, or kRunnerTextDoesNotFit with commandLine empty.
uint32_t normaliseCommand(std::string_view command, CommandLineText& commandLine);

// The command that runs a statement through the product's command line
// processor "kv7.exe" (found by the system's search for programs): the
// processor in double quotes, " -a -v " when all output is wanted or " -ec -v "
// otherwise, then the statement in double quotes.
// 0, or kRunnerTextDoesNotFit with commandLine empty.
uint32_t composeStatementCommand(std::string_view statement, bool allOutputMode,
                                 CommandLineText& commandLine);
