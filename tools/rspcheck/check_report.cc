#include "tools/rspcheck/check_report.h"

#include <cstdint>
#include <string_view>

#include "responsefile/response_file.h"
#include "tools/rspcheck/entry_problems.h"
#include "tools/rspcheck/line_layout.h"
#include "tools/rspcheck/printable_text.h"

namespace {

const char* statusName(int32_t status) {
  switch (status) {
    case RspOk:
      return "ok";
    case RspContentInvalid:
      return "content invalid";
    case RspOpenFailed:
      return "cannot open";
    case RspReadFailed:
      return "read error";
    case RspWriteFailed:
      return "write error";
    case RspOutOfMemory:
      return "out of memory";
  }
  return "unknown";
}

// The problem of a file that did not load at all.
const char* loadFailure(int32_t status) {
  switch (status) {
    case RspOpenFailed:
      return "the file cannot be opened for reading";
    case RspReadFailed:
      return "the file could not be read to its end";
    case RspOutOfMemory:
      return "there is not enough memory to load the file";
  }
  return nullptr;
}

}  // namespace

std::string problemReport(const ResponseFile& file, const std::string& displayName,
                          const LineLayout* layout, const std::vector<FormatWarning>& warnings) {
  std::string report;
  std::string name = printableText(displayName);
  int problems = 0;
  int entriesInError = 0;
  if (const char* failure = loadFailure(file.status())) {
    report += name + ": error: " + failure + "\n";
    ++problems;
  }
  // Entries come in file order and warnings in line order, so the two are
  // merged as they come; errors of a line go before its warnings.
  std::size_t nextWarning = 0;
  auto addLine = [&](int32_t line, const char* kind, const std::string& text) {
    report += name;
    report += ':';
    report += std::to_string(line);
    report += kind;
    report += text;
    report += '\n';
  };
  auto addWarningsBefore = [&](int64_t line) {
    for (; nextWarning < warnings.size() && warnings[nextWarning].line < line; ++nextWarning) {
      addLine(warnings[nextWarning].line, ": warning: ", warnings[nextWarning].text);
    }
  };
  for (int32_t i = 0; i < file.entryCount(); ++i) {
    std::vector<std::string> found = describeEntryProblems(file, i);
    if (found.empty()) continue;
    ++entriesInError;
    int32_t line = file.entryAt(i)->lineNumber();
    if (layout != nullptr) line = layout->fileLine(line);
    addWarningsBefore(line);
    for (const std::string& problem : found) {
      addLine(line, ": error: ", problem);
      ++problems;
    }
  }
  addWarningsBefore(INT64_MAX);
  if (file.status() == RspContentInvalid && problems == 0) {
    // A line too long to hold in memory is lost without an entry.
    report += name + ": error: a line could not be read\n";
    ++problems;
  }
  std::string warningCount;
  if (!warnings.empty()) {
    warningCount =
        ", " + std::to_string(warnings.size()) + (warnings.size() == 1 ? " warning" : " warnings");
  }
  report += name + ": " + std::to_string(file.entryCount()) +
            (file.entryCount() == 1 ? " entry, " : " entries, ") + std::to_string(entriesInError) +
            " in error, " + std::to_string(problems) + (problems == 1 ? " problem" : " problems") +
            warningCount + "; load status " + std::to_string(file.status()) + " (" +
            statusName(file.status()) + ")\n";
  return report;
}

std::string warningLines(const std::string& displayName,
                         const std::vector<FormatWarning>& warnings) {
  std::string lines;
  for (const FormatWarning& warning : warnings) {
    lines += printableText(displayName) + ":" + std::to_string(warning.line) +
             ": warning: " + warning.text + "\n";
  }
  return lines;
}

std::string entryTable(const ResponseFile& file) {
  std::string table;
  for (int32_t i = 0; i < file.entryCount(); ++i) {
    const ResponseFileEntry* entry = file.entryAt(i);
    const char* value = entry->value();
    table += std::to_string(entry->lineNumber()) + "\t" + std::to_string(entry->state()) + "\t" +
             std::to_string(entry->catalogueIndex()) + "\t" + tsvField(entry->name()) + "\t" +
             tsvField(value ? value : "") + "\n";
  }
  table += "status\t" + std::to_string(file.status()) + "\n";
  return table;
}

int exitCodeFor(const ResponseFile& file) { return file.status(); }
