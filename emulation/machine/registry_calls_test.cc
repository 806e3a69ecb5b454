#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "emulation/machine/code_page.h"
#include "emulation/testing/test_machine.h"
#include "platform/platform.h"

namespace {

using emulated::TestMachine;

constexpr char kRegistry[] =
    "[HKEY_LOCAL_MACHINE\\SOFTWARE\\QOR\\KV7\\InstalledCopies\\Beta]\n"
    "\"KV7 Path Name\"=\"C:\\\\QOR\\\\Beta\"\n"
    "\"Wide\"=\"Gr\xc3\xbc\xc3\x9f \xe2\x82\xac \xe2\x98\x83\"\n"
    "\"Number\"=dword:00000008\n"
    "[HKEY_LOCAL_MACHINE\\SOFTWARE\\QOR\\KV7\\InstalledCopies\\alpha]\n"
    "[HKEY_LOCAL_MACHINE\\SOFTWARE\\QOR\\KV7\\InstalledCopies\\A Very Long Copy Name]\n"
    "[HKEY_LOCAL_MACHINE\\SOFTWARE\\WOW6432Node\\QOR\\KV7\\InstalledCopies\\Thirty-Two]\n"
    "\"KV7 Path Name\"=\"C:\\\\QOR\\\\x86\"\n";

// Reads a value as RegQueryValueExA hands it out.
std::string queryText(const char* key, const char* name, uint32_t access = platform::kKeyRead) {
  platform::RegKey handle = nullptr;
  if (platform::regOpenKey(key, access, &handle) != 0) return "<no key>";
  char data[256];
  uint32_t size = sizeof data;
  uint32_t type = 0;
  const uint32_t result = platform::regQueryValue(handle, name, &type, data, &size);
  platform::regCloseKey(handle);
  if (result != 0) return "<error " + std::to_string(result) + ">";
  return std::string(data, size);
}

TEST(EmulatedRegistry, AnswersValuesAsRegQueryValueExDoes) {
  TestMachine machine;
  machine.writeRegistry(kRegistry);
  const char* beta = "software\\qor\\KV7\\installedcopies\\BETA";
  EXPECT_EQ(queryText(beta, "kv7 path name"), std::string("C:\\QOR\\Beta\0", 12));
  // Texts come back in code page 1252; what it cannot hold becomes "?".
  EXPECT_EQ(queryText(beta, "Wide"), std::string("Gr\xfc\xdf \x80 ?\0", 9));
  EXPECT_EQ(queryText(beta, "Number"), std::string("\x08\0\0\0", 4));
  EXPECT_EQ(queryText(beta, "Missing"), "<error 2>");
  EXPECT_EQ(queryText("SOFTWARE\\QOR\\KV7\\Missing", "x"), "<no key>");

  platform::RegKey key = nullptr;
  ASSERT_EQ(platform::regOpenKey(beta, platform::kKeyQueryValue, &key), 0u);
  uint32_t type = 0;
  uint32_t size = 0;
  EXPECT_EQ(platform::regQueryValue(key, "KV7 Path Name", &type, nullptr, &size), 0u);
  EXPECT_EQ(type, platform::kRegSz);
  EXPECT_EQ(size, 12u);
  char small[11];
  size = sizeof small;
  EXPECT_EQ(platform::regQueryValue(key, "KV7 Path Name", nullptr, small, &size),
            platform::kErrorMoreData);
  EXPECT_EQ(size, 12u);

  char16_t wide[32];
  size = sizeof wide;
  ASSERT_EQ(platform::regQueryValueW(key, u"WIDE", &type, wide, &size), 0u);
  EXPECT_EQ(std::u16string(wide, size / 2), std::u16string(u"Gr\u00fc\u00df \u20ac \u2603\0", 9));
  EXPECT_EQ(platform::regCloseKey(key), 0u);
  EXPECT_EQ(platform::regCloseKey(key), platform::kErrorInvalidHandle);
}

TEST(EmulatedRegistry, EnumeratesSubkeysSortedWithoutRegardToCase) {
  TestMachine machine;
  machine.writeRegistry(kRegistry);
  platform::RegKey key = nullptr;
  ASSERT_EQ(platform::regOpenKey("SOFTWARE\\QOR\\KV7\\InstalledCopies", 9, &key), 0u);
  std::vector<std::string> names;
  char name[256];
  uint32_t index = 0;
  for (;; ++index) {
    uint32_t size = sizeof name;
    const uint32_t result = platform::regEnumKey(key, index, name, &size);
    if (result != 0) {
      EXPECT_EQ(result, platform::kErrorNoMoreItems);
      break;
    }
    EXPECT_EQ(size, std::strlen(name));
    names.push_back(name);
  }
  EXPECT_EQ(names, (std::vector<std::string>{"A Very Long Copy Name", "alpha", "Beta"}));
  uint32_t size = 21;  // one short of the first name and its terminator
  EXPECT_EQ(platform::regEnumKey(key, 0, name, &size), platform::kErrorMoreData);
  platform::regCloseKey(key);
}

TEST(EmulatedRegistry, TheThirtyTwoBitViewReadsTheWow6432Node) {
  TestMachine machine;
  machine.writeRegistry(kRegistry);
  const char* copies = "SOFTWARE\\QOR\\KV7\\InstalledCopies\\Thirty-Two";
  const uint32_t view32 = platform::kKeyQueryValue | platform::kKeyWow64_32Key;
  EXPECT_EQ(queryText(copies, "KV7 Path Name", view32), std::string("C:\\QOR\\x86\0", 11));
  EXPECT_EQ(queryText(copies, "KV7 Path Name"), "<no key>");
  EXPECT_EQ(queryText("SOFTWARE\\QOR\\KV7\\InstalledCopies\\Beta", "Number", view32), "<no key>");
}

TEST(EmulatedRegistry, AMalformedFileIsNeverAnEmptyRegistry) {
  TestMachine machine;
  machine.writeRegistry("[HKEY_LOCAL_MACHINE\\SOFTWARE\\QOR]\n\"v\"=hex:zz\n");
  platform::RegKey key = nullptr;
  EXPECT_EQ(platform::regOpenKey("SOFTWARE", platform::kKeyRead, &key), 1009u);
  EXPECT_EQ(platform::msiQueryProductState("{00000000-0000-0000-0000-000000000000}"),
            platform::kInstallStateUnknown);
}

TEST(EmulatedRegistry, SystemLanguageComesFromTheNlsKey) {
  TestMachine machine;
  EXPECT_EQ(platform::getSystemDefaultLangId(), 0x0409);
  machine.writeRegistry(
      "[HKEY_LOCAL_MACHINE\\SYSTEM\\CurrentControlSet\\Control\\Nls\\Language]\n"
      "\"Default\"=\"0407\"\n");
  EXPECT_EQ(platform::getSystemDefaultLangId(), 0x0407);
  machine.writeRegistry(
      "[HKEY_LOCAL_MACHINE\\SYSTEM\\CurrentControlSet\\Control\\Nls\\Language]\n"
      "\"Default\"=\"0C0a\"\n");
  EXPECT_EQ(platform::getSystemDefaultLangId(), 0x0C0A);
}

TEST(EmulatedInstaller, AnswersProductsFromTheirUninstallKeys) {
  TestMachine machine;
  machine.writeRegistry(
      "[HKEY_LOCAL_MACHINE\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\"
      "{5C1E7A20-3B9D-4F62-A8D1-0E4B7C93F2A6}]\n"
      "\"WindowsInstaller\"=dword:00000001\n"
      "\"InstallLocation\"=\"C:\\\\QOR\\\\Main\\\\\"\n"
      "\"LocalPackage\"=\"C:\\\\Windows\\\\Installer\\\\1a2b.msi\"\n"
      "\"Transforms\"=\":inst15.mst;C:\\\\Windows\\\\Installer\\\\1a2b\\\\1031.mst\"\n"
      "[HKEY_LOCAL_MACHINE\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\"
      "{11111111-1111-1111-1111-111111111111}]\n"
      "\"DisplayName\"=\"not an installer product\"\n");
  const char* code = "{5c1e7a20-3b9d-4f62-a8d1-0e4b7c93f2a6}";
  EXPECT_EQ(platform::msiQueryProductState(code), platform::kInstallStateDefault);
  EXPECT_EQ(platform::msiQueryProductState("{11111111-1111-1111-1111-111111111111}"),
            platform::kInstallStateUnknown);
  EXPECT_EQ(platform::msiQueryProductState("{5C1E7A20-3B9D-4F62-A8D2-0E4B7C93F2A6}"),
            platform::kInstallStateUnknown);

  char value[256];
  uint32_t size = sizeof value;
  ASSERT_EQ(platform::msiGetProductInfo(code, "InstallLocation", value, &size), 0u);
  EXPECT_STREQ(value, "C:\\QOR\\Main\\");
  EXPECT_EQ(size, 12u);
  size = sizeof value;
  ASSERT_EQ(platform::msiGetProductInfo(code, "LocalPackage", value, &size), 0u);
  EXPECT_STREQ(value, "C:\\Windows\\Installer\\1a2b.msi");
  size = sizeof value;
  ASSERT_EQ(platform::msiGetProductInfo(code, "Transforms", value, &size), 0u);
  EXPECT_STREQ(value, ":inst15.mst;C:\\Windows\\Installer\\1a2b\\1031.mst");
  size = 12;  // no room for the terminator
  EXPECT_EQ(platform::msiGetProductInfo(code, "InstallLocation", value, &size),
            platform::kErrorMoreData);
  EXPECT_EQ(size, 12u);
  size = sizeof value;
  EXPECT_EQ(platform::msiGetProductInfo(code, "NoSuchProperty", value, &size),
            platform::kErrorUnknownProperty);
  EXPECT_EQ(platform::msiGetProductInfo("{11111111-1111-1111-1111-111111111111}", "InstallLocation",
                                        value, &size),
            platform::kErrorUnknownProduct);
}

TEST(EmulatedInstanceLibrary, ListsTheFamilysInstancesInOrder) {
  TestMachine machine;
  const std::string longDirectory(3000, 'd');
  machine.writeRegistry(
      "[HKEY_LOCAL_MACHINE\\SOFTWARE\\QOR\\KV7\\Instances\\KV7]\n"
      "\"Directory\"=\"C:\\\\QOR\\\\KV7\"\n"
      "[HKEY_LOCAL_MACHINE\\SOFTWARE\\QOR\\KV7\\Instances\\inst1]\n"
      "\"Directory\"=\"C:\\\\QOR\\\\inst1\"\n\"Copy\"=\"Main\"\n"
      "[HKEY_LOCAL_MACHINE\\SOFTWARE\\QOR\\KV7\\Instances\\Huge]\n"
      "\"Directory\"=\"" +
      longDirectory + "\"\n\"Copy\"=\"" + std::string(200, 'c') + "\"\n");
  platform::InstanceListHandle list = nullptr;
  ASSERT_EQ(platform::ossOpenInstanceList("KV7", &list, false), 0u);
  struct Expected {
    std::string name, directory, copy;
  };
  const Expected expected[] = {{"Huge", longDirectory.substr(0, 2431), std::string(135, 'c')},
                               {"inst1", "C:\\QOR\\inst1", "Main"},
                               {"KV7", "C:\\QOR\\KV7", ""}};
  std::vector<unsigned char> record(platform::kOssInstanceInfoSize + 16, 0xAA);
  for (const Expected& e : expected) {
    ASSERT_EQ(platform::ossGetNextInstance(list, record.data()), 0u);
    auto field = [&](std::size_t offset) {
      return std::string(reinterpret_cast<const char*>(record.data() + offset));
    };
    EXPECT_EQ(field(platform::kOssInstanceNameOffset), e.name);
    EXPECT_EQ(field(platform::kOssInstanceDirOffset), e.directory);
    EXPECT_EQ(field(platform::kOssInstanceCopyOffset), e.copy);
    EXPECT_EQ(record[platform::kOssInstanceInfoSize], 0xAA);  // nothing beyond the record
  }
  EXPECT_EQ(platform::ossGetNextInstance(list, record.data()), platform::kOssNoMoreInstances);
  EXPECT_EQ(platform::ossCloseInstanceList(list), 0u);

  ASSERT_EQ(platform::ossOpenInstanceList("OTHER", &list, false), 0u);
  EXPECT_EQ(platform::ossGetNextInstance(list, record.data()), platform::kOssNoMoreInstances);
  platform::ossCloseInstanceList(list);
}

}  // namespace
