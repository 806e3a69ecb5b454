#include "tools/rspcheck/keyword_listing.h"

#include "responsefile/keyword_catalogue.h"
#include "responsefile/keyword_index.h"
#include "tools/rspcheck/keyword_ways.h"

namespace {

constexpr const char* kIntroduction =
    "Keywords of the product family's response files, in catalogue order, as this\n"
    "setup program takes them.\n"
    "<DEFAULT_INSTANCE>, <ADMIN_INSTANCE> and <CTLSRV_INSTANCE> stand for the value of that\n"
    "line of the same file; <INSTANCE>, <NEW_NODE>, <CONTACT>, <DATABASE> and <LEVEL> for\n"
    "the value of any line of that keyword. The period may be any single character.\n"
    "A single keyword given twice keeps its last value; a repeating one keeps every line.\n"
    "Rules: words match case-insensitively, * is a wild card and ** a star; I(min,max) a\n"
    "whole number, F(min,max) a real number, R(min,max,'seps') two ordered numbers joined by\n"
    "a separator, S(min,max,'set','first-set') a text of that length and those characters\n"
    "(a set starting with ! lists forbidden ones), L(min,max,'seps',rule) a list of items,\n"
    "P() a file that exists (a relative name is looked up beside the response file).\n"
    "A rule that cannot be read accepts every value from there on.\n\n";

// An earlier row of the same name that is written every way this one is.
int shadowingRow(int row) {
  const KeywordIndex& index = KeywordIndex::get();
  const KeywordIndex::Rows* rows = index.rowsNamed(definitionAt(row)->name);
  uint32_t ways = index.waysOf(row);
  for (int earlier : *rows) {
    if (earlier >= row) break;
    if ((index.waysOf(earlier) & ways) == ways) return earlier;
  }
  return -1;
}

std::string writtenAs(int row) {
  if ((definitionAt(row)->programMask & kProgramThisLauncher) == 0) {
    return "never (only other setup programs of the family take it; setup reports it as an "
           "unknown keyword)";
  }
  std::vector<std::string> ways = waysOfWriting(row);
  if (ways.empty()) return "never (no way of writing it is allowed)";
  int shadow = shadowingRow(row);
  if (shadow >= 0) {
    return "never (row " + std::to_string(shadow) + " of the same name is chosen first)";
  }
  std::string text;
  for (const std::string& way : ways) text += (text.empty() ? "" : "  ") + way;
  return text;
}

}  // namespace

std::string keywordListing() {
  std::string listing = kIntroduction;
  int othersOnly = 0;
  for (int row = 0; row < keywordCount; ++row) {
    const KeywordDefinition* d = definitionAt(row);
    if ((d->programMask & kProgramThisLauncher) == 0) ++othersOnly;
    listing += std::string(d->name) + "  (row " + std::to_string(row) + ")\n";
    listing += "  written as:  " + writtenAs(row) + "\n";
    listing += "  rule:        " + std::string(d->rule ? d->rule : "(any value)") + "\n";
    if (d->exclusionRule != nullptr) {
      listing += "  excluded:    " + std::string(d->exclusionRule) + "\n";
    }
    listing += std::string("  repeats:     ") + (d->repeatable ? "yes" : "no") + "\n";
    listing += std::string("  secret:      ") + ((d->flags & kKeywordSecret) ? "yes" : "no") + "\n";
    if (d->excludedPrograms != nullptr) {
      listing += "  not valid when PROGNAME is: " + std::string(d->excludedPrograms) + "\n";
    }
    listing += "\n";
  }
  listing += std::to_string(keywordCount) + " keywords, " + std::to_string(othersOnly) +
             " of them only for other setup programs of the family.\n";
  return listing;
}
