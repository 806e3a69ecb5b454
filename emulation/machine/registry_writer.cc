#include <cstdio>
#include <vector>

#include "emulation/machine/code_page.h"
#include "emulation/machine/registry_file.h"

namespace emulated {
namespace {

// The registry editor wraps hex data before this column.
constexpr std::size_t kLineWidth = 78;

std::string quote(std::string_view text) {
  std::string out = "\"";
  for (char c : text) {
    if (c == '\\' || c == '"') out += '\\';
    out += c;
  }
  out += '"';
  return out;
}

// A REG_SZ is written as a quoted text when that text reads back to the same
// bytes: one terminator at the end, none inside, no line break.
bool asQuotedText(const RegistryValue& value, std::string* text) {
  if (value.type != 1 || value.data.size() < 2 || value.data.size() % 2 != 0) return false;
  std::u16string units = bytesToUtf16(value.data);
  if (units.back() != u'\0') return false;
  units.pop_back();
  for (char16_t u : units) {
    if (u == u'\0' || u == u'\r' || u == u'\n') return false;
  }
  *text = utf16ToUtf8(units);
  return utf8ToUtf16(*text) == units;
}

void appendHex(std::string& line, std::string& out, const std::string& data) {
  for (std::size_t i = 0; i < data.size(); ++i) {
    char byte[4];
    std::snprintf(byte, sizeof byte, "%02x", static_cast<unsigned char>(data[i]));
    line += byte;
    if (i + 1 < data.size()) {
      line += ',';
      if (line.size() + 3 >= kLineWidth) {
        out += line + "\\\r\n";
        line = "  ";
      }
    }
  }
}

void writeValue(const RegistryValue& value, std::string& out) {
  std::string line = value.name.empty() ? "@=" : quote(value.name) + "=";
  std::string text;
  if (asQuotedText(value, &text)) {
    out += line + quote(text) + "\r\n";
    return;
  }
  if (value.type == 4 && value.data.size() == 4) {
    uint32_t number = 0;
    for (int i = 3; i >= 0; --i) number = number << 8 | static_cast<unsigned char>(value.data[i]);
    char digits[16];
    std::snprintf(digits, sizeof digits, "dword:%08x", number);
    out += line + digits + "\r\n";
    return;
  }
  if (value.type == 3) {
    line += "hex:";
  } else {
    char prefix[24];
    std::snprintf(prefix, sizeof prefix, "hex(%x):", value.type);
    line += prefix;
  }
  appendHex(line, out, value.data);
  out += line + "\r\n";
}

// Each key, then its subkeys in their order, as the registry editor exports
// them; walked with a list of keys still to write, so that no depth of keys
// can exhaust the stack.
void writeTree(const RegistryKey& top, std::string& out) {
  struct Pending {
    const RegistryKey* key;
    std::string path;
  };
  std::vector<Pending> pending;
  const auto queueSubkeys = [&pending](const RegistryKey& key, const std::string& prefix) {
    const std::vector<RegistryKey*>& subkeys = key.subkeys();
    for (auto it = subkeys.rbegin(); it != subkeys.rend(); ++it) {
      pending.push_back({*it, prefix + (*it)->name()});
    }
  };
  queueSubkeys(top, "");
  while (!pending.empty()) {
    const Pending next = std::move(pending.back());
    pending.pop_back();
    out += "[" + next.path + "]\r\n";
    for (const RegistryValue& value : next.key->values()) writeValue(value, out);
    out += "\r\n";
    queueSubkeys(*next.key, next.path + "\\");
  }
}

}  // namespace

std::string RegistryFile::serialize() const {
  std::string text = "Windows Registry Editor Version 5.00\r\n\r\n";
  writeTree(top_, text);
  if (encoding_ == RegistryEncoding::kUtf8) return text;
  return "\xFF\xFE" + utf16ToBytes(utf8ToUtf16(text));
}

}  // namespace emulated
