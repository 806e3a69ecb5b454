#include <cstring>
#include <string_view>

#include "base/ascii.h"
#include "installed/instance_code_maker.h"
#include "installed/product_catalogue.h"
#include "installed/result_codes.h"

namespace {

// The value of the leading hexadecimal digits of text (0 without any), as
// strtoul reads it; digits past 64 bits are ignored.
uint64_t leadingHex(std::string_view text) {
  uint64_t value = 0;
  for (std::size_t i = 0; i < text.size() && i < 16 && ascii::isXDigit(text[i]); ++i) {
    char c = ascii::toUpper(text[i]);
    value = value * 16 + static_cast<uint64_t>(ascii::isDigit(c) ? c - '0' : c - 'A' + 10);
  }
  return value;
}

// value in upper-case hexadecimal without leading zeros, written to the end
// of buffer (which holds any 64-bit value).
std::string_view upperHex(uint64_t value, char (&buffer)[24]) {
  char* end = buffer + sizeof buffer;
  char* p = end;
  do {
    *--p = "0123456789ABCDEF"[value & 0xF];
    value >>= 4;
  } while (value != 0);
  return std::string_view(p, static_cast<std::size_t>(end - p));
}

}  // namespace

InstanceCodeMaker::InstanceCodeMaker(const char* baseCode) {
  // The groups between the dashes; empty groups are skipped.
  int groupCount = 0;
  std::string_view rest(baseCode);
  while (!rest.empty()) {
    std::size_t dash = rest.find('-');
    std::string_view group = rest.substr(0, dash);
    if (!group.empty()) {
      if (groupCount == kGroupCount) {
        status_ = RC_FAILED;
        return;
      }
      groups_[groupCount++] = group;
    }
    if (dash == std::string_view::npos) break;
    rest.remove_prefix(dash + 1);
  }
  if (groupCount != kGroupCount) {
    status_ = RC_FAILED;
    return;
  }
  fourth_ = leadingHex(groups_[3]);
}

uint32_t InstanceCodeMaker::append(uint32_t instance, char* out) const {
  if (status_ != 0) return status_;
  // The instance number is added to the fourth group; a carry out of its
  // four digits is dropped, so that FFFF + 1 wraps to 0000.
  char sum[24];
  std::string_view fourth = upperHex(fourth_ + instance, sum);
  if (fourth.size() > 4) fourth.remove_prefix(1);

  // Appended to what out holds; nothing is written unless all of it fits.
  const std::string_view parts[] = {groups_[0], "-",    groups_[1], "-",       groups_[2],
                                    "-",        fourth, "-",        groups_[4]};
  std::size_t length = strnlen(out, kProductCodeSize - 1);
  std::size_t total = length;
  for (std::string_view part : parts) total += part.size();
  if (total > kProductCodeSize - 1) return RC_BUFFER_TOO_SMALL;
  for (std::string_view part : parts) {
    std::memcpy(out + length, part.data(), part.size());
    length += part.size();
  }
  out[length] = '\0';
  return 0;
}

uint32_t MakeInstanceProductCode(const char* baseCode, uint32_t instance, char* out) {
  if (baseCode == nullptr) return 1;
  if (out == nullptr) return RC_MISSING_ARGUMENT;
  return InstanceCodeMaker(baseCode).append(instance, out);
}
