// Feeds arbitrary bytes to the response-file reader and arbitrary rule texts
// and values to the rule matcher. The first byte chooses: an even byte (such
// as 'R') loads the rest as a response file, an odd one (such as 'M') splits
// the rest at its first NUL byte into a rule and a value.

#include <stdio.h>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <string>

#include "responsefile/response_file.h"
#include "responsefile/rule_matcher.h"

namespace {

void loadFile(const uint8_t* data, std::size_t size) {
  if (size == 0) return;
  std::FILE* stream = fmemopen(const_cast<uint8_t*>(data), size, "r");
  if (stream == nullptr) return;
  ResponseFile file(stream);
  std::fclose(stream);
  // Every entry must answer its accessors, and the model its searches.
  for (int32_t i = 0; i < file.entryCount(); ++i) {
    const ResponseFileEntry* entry = file.entryAt(i);
    if (entry->state() < EntryValid || entry->state() > EntryWriteFailed) __builtin_trap();
    const char* value = entry->value();
    if (value != nullptr && entry->rawValue() == nullptr) __builtin_trap();
    if (file.findIndex(entry->name(), 0) > i) __builtin_trap();
    for (const Contradiction& c : entry->contradictions()) {
      for (int32_t partner : c.partners) {
        if (file.entryAt(partner) == nullptr) __builtin_trap();
      }
    }
  }
  if (file.status() < RspOk || file.status() > RspOutOfMemory) __builtin_trap();
}

void matchText(const uint8_t* data, std::size_t size) {
  std::string input(reinterpret_cast<const char*>(data), size);
  std::size_t split = input.find('\0');
  std::string rule = input.substr(0, split);
  std::string value = split == std::string::npos ? std::string() : input.substr(split + 1);
  // The matcher never writes: P() values only open files for reading.
  matchRule(nullptr, value.c_str(), rule.c_str());
  ResponseFileEntry entry(nullptr, 1);
  entry.setRawValue(value);
  matchRule(&entry, entry.rawValue(), rule.c_str());
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size) {
  if (size == 0) return 0;
  if (data[0] & 1) {
    matchText(data + 1, size - 1);
  } else {
    loadFile(data + 1, size - 1);
  }
  return 0;
}
