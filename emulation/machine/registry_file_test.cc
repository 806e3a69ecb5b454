#include "emulation/machine/registry_file.h"

#include <gtest/gtest.h>

#include <string>

#include "emulation/machine/code_page.h"

namespace {

using emulated::RegistryFile;
using emulated::RegistryValue;

constexpr char kCopies[] = "HKEY_LOCAL_MACHINE\\SOFTWARE\\QOR\\KV7\\InstalledCopies";

// One registry with every kind of value, written the way the registry
// editor writes it today (UTF-16) and the way its old format did (REGEDIT4,
// ANSI, where expandable and multi-string texts are ANSI bytes).
constexpr char kVersion5Text[] =
    "Windows Registry Editor Version 5.00\r\n"
    "\r\n"
    "; exported\r\n"
    "[HKEY_LOCAL_MACHINE\\SOFTWARE\\QOR\\KV7\\InstalledCopies\\Main]\r\n"
    "\"KV7 Path Name\"=\"C:\\\\Program Files\\\\QOR \\\"Main\\\"\"\r\n"
    "@=\"default\"\r\n"
    "\"Count\"=dword:0000002a\r\n"
    "\"Blob\"=hex:01,ff,\\\r\n"
    "  7f\r\n"
    "\"Expand\"=hex(2):25,00,54,00,4d,00,50,00,25,00,00,00\r\n"
    "\"Multi\"=hex(7):61,00,00,00,e9,00,00,00,00,00\r\n"
    "\"Big\"=hex(b):01,00,00,00,02,00,00,00\r\n";

constexpr char kVersion4Text[] =
    "REGEDIT4\n"
    "\n"
    "[HKEY_LOCAL_MACHINE\\SOFTWARE\\QOR\\KV7\\InstalledCopies\\Main]\n"
    "\"KV7 Path Name\"=\"C:\\\\Program Files\\\\QOR \\\"Main\\\"\"\n"
    "@=\"default\"\n"
    "\"Count\"=dword:2A\n"
    "\"Blob\"=hex:01,FF,7F\n"
    "\"Expand\"=hex(2):25,54,4d,50,25,00\n"
    "\"Multi\"=hex(7):61,00,\\\n"
    "  e9,00,00\n"
    "\"Big\"=hex(b):01,00,00,00,02,00,00,00\n";

std::string utf16File(const std::string& utf8) {
  return "\xFF\xFE" + emulated::utf16ToBytes(emulated::utf8ToUtf16(utf8));
}

std::string wide(const std::u16string& text) { return emulated::utf16ToBytes(text); }

void expectEveryValueType(const RegistryFile& registry) {
  const emulated::RegistryKey* key = registry.findKey(std::string(kCopies) + "\\MAIN");
  ASSERT_NE(key, nullptr);
  struct Expected {
    const char* name;
    uint32_t type;
    std::string data;
  };
  const Expected expected[] = {
      {"kv7 path name", 1, wide(u"C:\\Program Files\\QOR \"Main\"") + std::string(2, '\0')},
      {"", 1, wide(u"default") + std::string(2, '\0')},
      {"Count", 4, std::string("\x2a\0\0\0", 4)},
      {"Blob", 3, "\x01\xff\x7f"},
      {"Expand", 2, wide(u"%TMP%") + std::string(2, '\0')},
      {"Multi", 7, wide(u"a") + std::string(2, '\0') + wide(u"\u00e9") + std::string(4, '\0')},
      {"Big", 11, std::string("\1\0\0\0\2\0\0\0", 8)},
  };
  for (const Expected& e : expected) {
    const RegistryValue* value = key->findValue(e.name);
    ASSERT_NE(value, nullptr) << e.name;
    EXPECT_EQ(value->type, e.type) << e.name;
    EXPECT_EQ(value->data, e.data) << e.name;
  }
  EXPECT_EQ(key->values().size(), 7u);
}

TEST(RegistryFile, ReadsEveryEncodingAndFormatAlike) {
  const std::string sources[] = {kVersion5Text, utf16File(kVersion5Text),
                                 "\xEF\xBB\xBF" + std::string(kVersion5Text), kVersion4Text};
  for (const std::string& source : sources) {
    RegistryFile registry;
    std::string error;
    ASSERT_TRUE(registry.parse(source, &error)) << error;
    expectEveryValueType(registry);
  }
  RegistryFile utf16;
  ASSERT_TRUE(utf16.parse(utf16File(kVersion5Text), nullptr));
  EXPECT_EQ(utf16.encoding(), emulated::RegistryEncoding::kUtf16);
}

TEST(RegistryFile, ReadsAnsiTextsInTheMachinesCodePage) {
  RegistryFile registry;
  ASSERT_TRUE(
      registry.parse("REGEDIT4\r\n[HKEY_LOCAL_MACHINE\\K\xe9]\r\n\"N\"=\"Stra\xdf"
                     "e\"\r\n",
                     nullptr));
  const emulated::RegistryKey* key = registry.findKey("HKEY_LOCAL_MACHINE\\K\u00c9");
  ASSERT_NE(key, nullptr);
  EXPECT_EQ(key->name(), "K\u00e9");
  EXPECT_EQ(key->findValue("N")->data, wide(u"Stra\u00dfe") + std::string(2, '\0'));
}

TEST(RegistryFile, AppliesDeletionsInFileOrder) {
  RegistryFile registry;
  std::string error;
  ASSERT_TRUE(
      registry.parse("Windows Registry Editor Version 5.00\n"
                     "[HKEY_LOCAL_MACHINE\\A\\B\\C]\n\"v\"=\"1\"\n"
                     "[HKEY_LOCAL_MACHINE\\A\\D]\n\"keep\"=\"1\"\n\"drop\"=\"1\"\n"
                     "[-hkey_local_machine\\a\\b]\n"
                     "[HKEY_LOCAL_MACHINE\\A\\D]\n\"DROP\"=-\n"
                     "[-HKEY_LOCAL_MACHINE\\Never\\There]\n",
                     &error))
      << error;
  EXPECT_EQ(registry.findKey("HKEY_LOCAL_MACHINE\\A\\B"), nullptr);
  EXPECT_EQ(registry.findKey("HKEY_LOCAL_MACHINE\\A\\B\\C"), nullptr);
  const emulated::RegistryKey* d = registry.findKey("HKEY_LOCAL_MACHINE\\A\\D");
  ASSERT_NE(d, nullptr);
  EXPECT_NE(d->findValue("keep"), nullptr);
  EXPECT_EQ(d->findValue("drop"), nullptr);
}

// A key path of that many names, the root key included.
std::string keyOfDepth(std::size_t levels) {
  std::string path = "HKEY_LOCAL_MACHINE";
  for (std::size_t i = 1; i < levels; ++i) path += "\\K";
  return path;
}

TEST(RegistryFile, NamesAMalformedLine) {
  struct Case {
    std::string text;
    std::size_t line;
  };
  const Case cases[] = {
      {"Windows Registry Editor Version 4.00\n", 1},
      {"\n[HKEY_LOCAL_MACHINE\\A]\n", 1},
      {"REGEDIT4\n\"v\"=\"outside a key\"\n", 2},
      {"REGEDIT4\n[HKEY_LOCAL_MACHINE\\A\n", 2},
      {"REGEDIT4\n[HKEY_NOWHERE\\A]\n", 2},
      {"REGEDIT4\n[-HKEY_LOCAL_MACHINE]\n", 2},
      {"REGEDIT4\n[HKEY_LOCAL_MACHINE\\A]\n\"v\"=\"C:\\Temp\"\n", 3},
      {"REGEDIT4\n[HKEY_LOCAL_MACHINE\\A]\n\"v\"=\"open\n", 3},
      {"REGEDIT4\n[HKEY_LOCAL_MACHINE\\A]\n\"v\" \"no equals\"\n", 3},
      {"REGEDIT4\n[HKEY_LOCAL_MACHINE\\A]\n\n\"v\"=dword:123456789\n", 4},
      {"REGEDIT4\n[HKEY_LOCAL_MACHINE\\A]\n\"v\"=dword:\n", 3},
      {"REGEDIT4\n[HKEY_LOCAL_MACHINE\\A]\n\"v\"=hex:01,2g\n", 3},
      {"REGEDIT4\n[HKEY_LOCAL_MACHINE\\A]\n\"v\"=hex:01,\n", 3},
      {"REGEDIT4\n[HKEY_LOCAL_MACHINE\\A]\n\"v\"=hex:01,\\\n", 3},
      {"REGEDIT4\n[HKEY_LOCAL_MACHINE\\A]\n\"v\"=hex(x):01\n", 3},
      {"REGEDIT4\n[HKEY_LOCAL_MACHINE\\A]\n\"v\"=string\n", 3},
      {"REGEDIT4\n[HKEY_LOCAL_MACHINE\\A]\nv=\"unquoted name\"\n", 3},
      {"REGEDIT4\n[HKEY_LOCAL_MACHINE\\A]\n[-HKEY_LOCAL_MACHINE\\A]\n\"v\"=\"1\"\n", 4},
      // More than Windows allows: levels, key name and value name lengths.
      {"REGEDIT4\n\n[" + keyOfDepth(513) + "]\n", 3},
      {"REGEDIT4\n[-" + keyOfDepth(2000) + "]\n", 2},
      {"REGEDIT4\n[HKEY_LOCAL_MACHINE\\" + std::string(256, 'k') + "]\n", 2},
      {"REGEDIT4\n[HKEY_LOCAL_MACHINE\\A]\n\"" + std::string(16384, 'v') + "\"=\"1\"\n", 3},
  };
  for (const Case& c : cases) {
    RegistryFile registry;
    std::string error;
    EXPECT_FALSE(registry.parse(c.text, &error)) << c.text;
    EXPECT_EQ(error.rfind("line " + std::to_string(c.line) + ": ", 0), 0u) << c.text << error;
  }
}

TEST(RegistryFile, SavingKeepsWhatItDidNotChange) {
  RegistryFile registry;
  ASSERT_TRUE(registry.parse(utf16File(kVersion5Text), nullptr));
  const std::string copy = std::string(kCopies) + "\\Second";
  ASSERT_TRUE(registry.setValue(copy, emulated::makeTextValue("KV7 Path Name", "D:\\x")));
  ASSERT_TRUE(registry.setValue(copy, emulated::makeDwordValue("Version", 11)));
  ASSERT_TRUE(registry.setValue(copy, RegistryValue{"Odd", 1, "no terminator"}));
  ASSERT_TRUE(registry.setValue(copy, RegistryValue{"Lines", 1, wide(u"a\nb") + '\0' + '\0'}));
  ASSERT_TRUE(registry.setValue(copy, RegistryValue{"Long", 3, std::string(200, '\x5a')}));
  EXPECT_FALSE(registry.setValue("HKEY_NOWHERE\\X", emulated::makeDwordValue("v", 1)));

  char dir[] = "/tmp/kv7-registry-XXXXXX";
  ASSERT_NE(mkdtemp(dir), nullptr);
  const std::string path = std::string(dir) + "/system.reg";
  std::string error;
  ASSERT_TRUE(registry.save(path, &error)) << error;

  RegistryFile reloaded;
  ASSERT_TRUE(reloaded.load(path, &error)) << error;
  EXPECT_EQ(reloaded.encoding(), emulated::RegistryEncoding::kUtf16);
  EXPECT_EQ(reloaded.serialize(), registry.serialize());
  expectEveryValueType(reloaded);
  const emulated::RegistryKey* second = reloaded.findKey(copy);
  ASSERT_NE(second, nullptr);
  for (const RegistryValue& value : registry.findKey(copy)->values()) {
    const RegistryValue* read = second->findValue(value.name);
    ASSERT_NE(read, nullptr) << value.name;
    EXPECT_EQ(read->type, value.type) << value.name;
    EXPECT_EQ(read->data, value.data) << value.name;
  }

  ASSERT_TRUE(reloaded.deleteKey(copy));
  EXPECT_FALSE(reloaded.deleteKey(copy));
  EXPECT_FALSE(reloaded.deleteKey("HKEY_LOCAL_MACHINE"));
  ASSERT_TRUE(reloaded.deleteValue(std::string(kCopies) + "\\Main", "Blob"));
  ASSERT_TRUE(reloaded.save(path, &error)) << error;
  RegistryFile again;
  ASSERT_TRUE(again.load(path, &error)) << error;
  EXPECT_EQ(again.findKey(copy), nullptr);
  EXPECT_EQ(again.findKey(std::string(kCopies) + "\\Main")->findValue("Blob"), nullptr);
  EXPECT_NE(again.findKey(std::string(kCopies) + "\\Main")->findValue("Big"), nullptr);

  std::remove(path.c_str());
  rmdir(dir);
}

// A malformed file's error names the file and the line: checked end to end
// by ReliabilityEndToEnd.EveryProgramStopsOnARegistryWindowsCouldNotHold.
TEST(RegistryFile, AMissingFileIsEmpty) {
  char dir[] = "/tmp/kv7-registry-XXXXXX";
  ASSERT_NE(mkdtemp(dir), nullptr);
  RegistryFile missing;
  std::string error;
  EXPECT_TRUE(missing.load(std::string(dir) + "/system.reg", &error));
  EXPECT_TRUE(missing.top().subkeys().empty());
  rmdir(dir);
}

TEST(RegistryFile, KeysAndNamesAsLargeAsWindowsAllowsAreKept) {
  const std::string deepest = keyOfDepth(512);
  // Names as long as Windows allows, in characters: "é" takes two bytes.
  const std::string longKey =
      "HKEY_LOCAL_MACHINE\\" + std::string(127, 'k') + "\u00e9" + std::string(127, 'k');
  const std::string longName(16383, 'v');
  RegistryFile registry;
  std::string error;
  ASSERT_TRUE(registry.parse("REGEDIT4\n[" + deepest + "]\n\"v\"=\"deep\"\n[" + longKey + "]\n\"" +
                                 longName + "\"=\"long\"\n",
                             &error))
      << error;
  RegistryFile reloaded;
  ASSERT_TRUE(reloaded.parse(registry.serialize(), &error)) << error;
  ASSERT_NE(reloaded.findKey(deepest), nullptr);
  EXPECT_NE(reloaded.findKey(deepest)->findValue("v"), nullptr);
  ASSERT_NE(reloaded.findKey(longKey), nullptr);
  EXPECT_NE(reloaded.findKey(longKey)->findValue(longName), nullptr);

  // Changes made through the model are held to the same limits.
  EXPECT_EQ(reloaded.createKey(deepest + "\\K"), nullptr);
  EXPECT_EQ(reloaded.createKey(longKey + "k"), nullptr);
  EXPECT_FALSE(reloaded.setValue(longKey, emulated::makeDwordValue(longName + "v", 1)));
  EXPECT_TRUE(reloaded.setValue(longKey, emulated::makeDwordValue(longName, 1)));
}

TEST(RegistryFile, SubkeysSortAsWindowsEnumeratesThem) {
  RegistryFile registry;
  ASSERT_TRUE(
      registry.parse("REGEDIT4\n[HKEY_LOCAL_MACHINE\\R\\b]\n[HKEY_LOCAL_MACHINE\\R\\A_B]\n"
                     "[HKEY_LOCAL_MACHINE\\R\\aab]\n[HKEY_LOCAL_MACHINE\\R\\C]\n"
                     "[HKEY_LOCAL_MACHINE\\R\\AAB]\n",
                     nullptr));
  std::string names;
  for (const emulated::RegistryKey* key : registry.findKey("HKEY_LOCAL_MACHINE\\R")->subkeys()) {
    names += key->name() + " ";
  }
  // Compared in upper case: "AAB" < "A_B" ('A' < '_') < "B" < "C"; the
  // second spelling of aab names the same key.
  EXPECT_EQ(names, "aab A_B b C ");
}

}  // namespace
