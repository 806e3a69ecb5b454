#pragma once

#include <cstdint>

// The fixed table of every keyword a response file of the product family may
// hold. Row indexes (0 to 444) are the keywords' identities: entries store
// them, and the table order decides which row wins when a keyword text could
// resolve to more than one.
struct KeywordDefinition {
  const char* name;               // the keyword, upper case
  const char* excludedPrograms;   // blank-separated PROGNAME values it is not valid for, or null
  uint32_t repeatable;            // 1: may occur several times; 0: a later line replaces
  const char* rule;               // the value must match it (null: none)
  const char* exclusionRule;      // the value must not match it (null: none)
  uint32_t plainScope;            // non-zero: may be written as is
  uint32_t defaultInstanceScope;  // non-zero: behind the DEFAULT_INSTANCE name
  uint32_t adminInstanceScope;    // non-zero: behind the ADMIN_INSTANCE name
  uint32_t controlServerScope;    // non-zero: behind the CTLSRV_INSTANCE name
  uint32_t instanceScope;         // non-zero: behind any INSTANCE name
  const char* blockKinds;         // blank-separated NEW_NODE CONTACT DATABASE LEVEL, or null
  uint32_t flags;                 // kKeywordSecret marks a password
  uint32_t programMask;           // kProgramThisLauncher: the row exists for this launcher
};

constexpr uint32_t kKeywordSecret = 0x2;
constexpr uint32_t kProgramThisLauncher = 0x2;

constexpr int keywordCount = 445;

// The row at index, for 0 <= index < keywordCount; null otherwise.
const KeywordDefinition* definitionAt(int index);

// The row's repeatable value; 0 for an index outside the table.
uint32_t isRepeatable(int index);
