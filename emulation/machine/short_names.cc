#include "emulation/machine/short_names.h"

#include <algorithm>
#include <map>
#include <set>

#include "base/ascii.h"
#include "emulation/machine/code_page.h"

namespace emulated {
namespace {

// Characters of a long name that a short name cannot hold.
bool isForbiddenInShortName(char c) {
  const auto u = static_cast<unsigned char>(c);
  if (u < 0x20 || u >= 0x80) return true;  // the OEM code page is not modelled
  return std::string_view(" .\"*+,/:;<=>?[\\]|").find(c) != std::string_view::npos;
}

bool isValidPart(std::string_view part, std::size_t maxLength) {
  if (part.empty() || part.size() > maxLength) return false;
  return std::none_of(part.begin(), part.end(), isForbiddenInShortName);
}

// Upper case, blanks and dots dropped, other forbidden characters as "_".
std::string cleaned(std::string_view part, std::size_t maxLength) {
  std::string out;
  for (char c : part) {
    if (out.size() == maxLength) break;
    if (c == ' ' || c == '.') continue;
    out += isForbiddenInShortName(c) ? '_' : ascii::toUpper(c);
  }
  return out;
}

struct Stem {
  std::string base;  // at most 6 characters
  std::string extension;
};

Stem stemOf(std::string_view ansiName) {
  std::string_view name = ansiName;
  while (!name.empty() && name.front() == '.') name.remove_prefix(1);
  const std::size_t dot = name.rfind('.');
  Stem stem;
  if (dot != std::string_view::npos) {
    stem.base = cleaned(name.substr(0, dot), 6);
    stem.extension = cleaned(name.substr(dot + 1), 3);
  } else {
    stem.base = cleaned(name, 6);
  }
  if (stem.base.empty()) stem.base = "_";
  return stem;
}

std::string numbered(const Stem& stem, unsigned n) {
  const std::string tail = "~" + std::to_string(n);
  std::string name = stem.base.substr(0, 8 - tail.size()) + tail;
  if (!stem.extension.empty()) name += "." + stem.extension;
  return name;
}

}  // namespace

bool isValidShortName(std::string_view ansiName) {
  if (ansiName == "." || ansiName == "..") return true;
  const std::size_t dot = ansiName.find('.');
  if (dot == std::string_view::npos) return isValidPart(ansiName, 8);
  return isValidPart(ansiName.substr(0, dot), 8) && isValidPart(ansiName.substr(dot + 1), 3);
}

std::vector<std::string> shortNamesFor(const std::vector<std::string>& entries) {
  std::vector<std::string> shortNames(entries.size());
  std::set<std::string> taken;  // folded short names in use
  std::map<std::pair<std::string, std::string>, std::vector<std::size_t>> groups;
  for (std::size_t i = 0; i < entries.size(); ++i) {
    const std::string ansi = utf8ToAnsi(entries[i]);
    if (isValidShortName(ansi)) {
      shortNames[i] = ansi;
      taken.insert(foldName(ansi));
    } else {
      const Stem stem = stemOf(ansi);
      groups[{stem.base, stem.extension}].push_back(i);
    }
  }
  for (auto& [key, members] : groups) {
    std::sort(members.begin(), members.end(), [&](std::size_t a, std::size_t b) {
      const std::string fa = foldName(entries[a]);
      const std::string fb = foldName(entries[b]);
      return fa != fb ? fa < fb : entries[a] < entries[b];
    });
    const Stem stem{key.first, key.second};
    unsigned n = 1;
    for (std::size_t member : members) {
      std::string candidate = numbered(stem, n++);
      while (taken.count(foldName(candidate)) != 0) candidate = numbered(stem, n++);
      taken.insert(foldName(candidate));
      shortNames[member] = candidate;
    }
  }
  return shortNames;
}

}  // namespace emulated
