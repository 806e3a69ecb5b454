#pragma once

class ResponseFileEntry;

// Whether value matches the keyword rule ruleText: a blank-separated list of
// alternatives (I(min,max), F(min,max), R(min,max,'seps'),
// S(min[,max[,'set'[,'first-set']]]), L(min,max,'seps',item-rule), P() and
// words with '*' wild cards), tried left to right until one matches. A rule
// that cannot be read from the alternative reached on accepts the value, and
// a missing rule or value counts as a match. The path form P() may replace
// entry's value by the full path; entry may be null (relative paths then
// resolve against the current directory and nothing is replaced).
// Characters are classified as ASCII; no shared state, any thread may call.
bool matchRule(ResponseFileEntry* entry, const char* value, const char* ruleText);

// matchRule for a rule text that stays in place and never changes, such as
// the catalogue's: each such text is read once per thread and kept.
bool matchFixedRule(ResponseFileEntry* entry, const char* value, const char* ruleText);
