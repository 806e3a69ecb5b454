#include "emulation/msiexec/component_registrations.h"

#include <gtest/gtest.h>

namespace msiexec {
namespace {

const char kBase[] = "{5C1E7A20-3B9D-4F62-A8D1-0E4B7C93F2A6}";
const char kLibrary[] = "{7E0B4C52-1A63-4D8E-9F27-3C6A5B1D8E40}";

TEST(ComponentRegistrationsTest, NamesGuidsInWindowsInstallersPackedForm) {
  struct Case {
    const char* guid;
    const char* packed;  // as Wine's installer names the driver package's codes
  };
  const Case cases[] = {
      {kBase, "02A7E1C5D9B326F48A1DE0B4C7392F6A"},
      {"{5c1e7a20-3b9d-4f62-a8d1-0e4b7c93f2a6}", "02A7E1C5D9B326F48A1DE0B4C7392F6A"},
      {kLibrary, "25C4B0E736A1E8D4F972C3A6B5D1E804"},
      {"{2F9D6A18-84C7-4B35-A0E1-6D5C2B7F9A31}", "81A6D9F27C4853B40A1ED6C5B2F7A913"},
      {"5C1E7A20-3B9D-4F62-A8D1-0E4B7C93F2A6", ""},
      {"{5C1E7A20-3B9D-4F62-A8D1-0E4B7C93F2A}", ""},
      {"{5C1E7A20+3B9D-4F62-A8D1-0E4B7C93F2A6}", ""},
      {"{5C1E7A2G-3B9D-4F62-A8D1-0E4B7C93F2A6}", ""},
      {"", ""},
  };
  for (const Case& c : cases) EXPECT_EQ(packedGuid(c.guid), c.packed) << c.guid;
}

TEST(ComponentRegistrationsTest, WritesRegistryKeyPathsAsWindowsInstallerDoes) {
  struct Case {
    int root;
    bool is64Bit;
    const char* key;
    const char* name;
    const char* text;
  };
  const Case cases[] = {
      {2, true, "SOFTWARE\\QOR\\KV7\\InstalledCopies\\SITEA\\", "KV7 Path Name",
       "22:\\SOFTWARE\\QOR\\KV7\\InstalledCopies\\SITEA\\KV7 Path Name"},
      {2, false, "SOFTWARE\\Sample", "Count", "02:\\SOFTWARE\\Sample\\Count"},
      // A key as the key path ends in a backslash.
      {1, false, "Software\\Microsoft", "", "01:\\Software\\Microsoft\\"},
      {0, true, "CLSID\\X\\", "", "20:\\CLSID\\X\\"},
  };
  for (const Case& c : cases)
    EXPECT_EQ(registryKeyPathText(c.root, c.is64Bit, c.key, c.name), c.text);
}

// That a component stays while another product uses it and goes with its
// last client, with the key path recorded, is what the installer's program
// tests ask of real installations and removals; here, what they never meet.
TEST(ComponentRegistrationsTest, APermanentComponentKeepsAClientOfItsOwn) {
  emulated::RegistryFile registry;
  // A component nobody registered has no clients; removing one is no error.
  removeComponentClient(&registry, kLibrary, kBase);
  EXPECT_TRUE(otherComponentClients(registry, kLibrary, kBase).empty());

  ASSERT_TRUE(addComponentClient(&registry, kLibrary, kBase, "C:\\x"));
  ASSERT_TRUE(addSystemClient(&registry, kLibrary));
  removeComponentClient(&registry, kLibrary, kBase);
  EXPECT_EQ(otherComponentClients(registry, kLibrary, kBase),
            std::vector<std::string>{kSystemClient});

  EXPECT_FALSE(addComponentClient(&registry, "not a guid", kBase, "C:\\x"));
  EXPECT_FALSE(addComponentClient(&registry, kLibrary, "{}", "C:\\x"));
}

}  // namespace
}  // namespace msiexec
