#include "tools/rspcheck/check_report.h"

#include <cstdint>
#include <string_view>

#include "responsefile/response_file.h"
#include "tools/rspcheck/entry_problems.h"
#include "tools/rspcheck/line_layout.h"
#include "tools/rspcheck/printable_text.h"
#include "tools/rspcheck/text_encoding.h"

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

// Why setup cannot read a UTF-16 file, who writes one, and how to write the
// file instead.
std::string utf16Problem(Utf16Form form) {
  const bool big = form == Utf16Form::kBigEndianWithMark || form == Utf16Form::kBigEndian;
  const bool mark =
      form == Utf16Form::kLittleEndianWithMark || form == Utf16Form::kBigEndianWithMark;
  std::string text = std::string("the file is UTF-16 text (") +
                     (big ? "big-endian" : "little-endian") +
                     (mark ? ", with a byte-order mark" : ", without a byte-order mark") +
                     "), which setup cannot read: it reads a response file byte by byte in the "
                     "system's code page, and the NUL byte that UTF-16 writes beside every ASCII "
                     "character ends what setup sees of a line. ";
  text += big ? "Notepad writes it when saving as \"Unicode big endian\", and PowerShell with "
                "-Encoding BigEndianUnicode"
              : "Windows PowerShell 5.1 writes it with '>', '>>' and Out-File, and Notepad when "
                "saving as \"Unicode\"";
  return text +
         "; write the file with PowerShell's Set-Content -Encoding Default (or Out-File "
         "-Encoding ascii for plain ASCII text), or save it in Notepad as \"ANSI\"";
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
  const std::string encoding = layout != nullptr ? encodingError(displayName, *layout) : "";
  if (!encoding.empty()) {
    // What the reader made of the bytes says nothing about the file's
    // keywords: the encoding is the one problem.
    const int32_t status = exitCodeFor(file, layout);
    report += encoding;
    ++problems;
    report += name + ": UTF-16 text, " + std::to_string(problems) +
              (problems == 1 ? " problem" : " problems") + "; load status " +
              std::to_string(status) + " (" + statusName(status) + ")\n";
    return report;
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

int exitCodeFor(const ResponseFile& file, const LineLayout* layout) {
  // A UTF-16 file is refused as content, unless it could not even be read.
  const bool utf16 = layout != nullptr && recognizeUtf16(layout->head()) != Utf16Form::kNone;
  return utf16 && file.status() == RspOk ? RspContentInvalid : file.status();
}

std::string encodingError(const std::string& displayName, const LineLayout& layout) {
  const Utf16Form utf16 = recognizeUtf16(layout.head());
  if (utf16 == Utf16Form::kNone) return "";
  return printableText(displayName) + ":1: error: " + utf16Problem(utf16) + "\n";
}
