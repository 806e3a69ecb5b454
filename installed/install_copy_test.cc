#include "installed/install_copy.h"

#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <string>

#include "emulation/testing/test_machine.h"
#include "installed/installed_prod_list.h"
#include "installed/result_codes.h"
#include "installed/test_registry.h"
#include "platform/platform.h"

namespace {

using test_registry::copy;
using test_registry::key;
using test_registry::value;

const std::string kCopyKey = "SOFTWARE\\QOR\\KV7\\InstalledCopies\\KV7COPY1";

class InstallCopyTest : public ::testing::Test {
 protected:
  emulated::TestMachine machine;
};

TEST_F(InstallCopyTest, TextsAreRefusedWhenTheBufferCannotHoldTheTerminator) {
  machine.writeRegistry(copy("KV7COPY1", "C:\\QOR\\K1"));
  InstallCopy c("KV7COPY1", false);
  ASSERT_EQ(c.status(), kCopyValid);
  using Getter = uint32_t (InstallCopy::*)(char*, size_t) const;
  const struct {
    Getter get;
    const char* text;
  } cases[] = {{&InstallCopy::GetName, "KV7COPY1"},
               {&InstallCopy::GetPath, "C:\\QOR\\K1"},
               {&InstallCopy::GetKeyPath, kCopyKey.c_str()}};
  for (const auto& t : cases) {
    const size_t length = std::strlen(t.text);
    char buffer[128];
    std::memset(buffer, 'x', sizeof buffer);
    EXPECT_EQ((c.*t.get)(buffer, length), RC_BUFFER_TOO_SMALL) << t.text;
    EXPECT_EQ(buffer[0], 'x') << "a refused text leaves the buffer alone";
    ASSERT_EQ((c.*t.get)(buffer, length + 1), 0u) << t.text;
    EXPECT_STREQ(buffer, t.text);
    EXPECT_EQ((c.*t.get)(nullptr, 65), RC_MISSING_ARGUMENT);
  }
}

TEST_F(InstallCopyTest, ACopyWithoutANameReadsNothing) {
  InstallCopy empty(nullptr, false);
  EXPECT_EQ(empty.status(), kCopyValid);
  EXPECT_STREQ(empty.keyPath(), "");
  EXPECT_FALSE(empty.IsDefaultCopy());
  InstalledProdList* products = nullptr;
  EXPECT_EQ(empty.GetProducts(&products), RC_FAILED);
  EXPECT_EQ(empty.GetProducts(nullptr), RC_MISSING_ARGUMENT);
  EXPECT_EQ(empty.ProductCount(), 0u);
}

TEST_F(InstallCopyTest, VersionIsReadAsNumbersUpToTheFirstMissingValue) {
  const std::string legacy = key("SOFTWARE\\QOR\\KV7") + value("KV7 Path Name", "C:\\KV7V8") +
                             key("SOFTWARE\\QOR\\KV7\\CurrentVersion") + value("Version", "8") +
                             value("Release", "2") + value("Modification", "7") +
                             value("Service Level", "");
  const struct {
    const char* what;
    std::string registry;
    const char* copy;
    uint32_t result;
    CopyVersion expected;
  } cases[] = {
      {"numbers with the service level text",
       copy("KV7COPY1", "C:\\K1") +
           test_registry::version(kCopyKey, "11", " 5", "600abc", "-2", "SP3 fix"),
       "KV7COPY1", 0, CopyVersion{11, 5, 600, static_cast<uint32_t>(-2), "SP3 fix"}},
      // The record is handed over before it is filled.
      {"no Modification: nothing after it is read",
       copy("KV7COPY1", "C:\\K1") + key(kCopyKey + "\\CurrentVersion") + value("Version", "11") +
           value("Release", "5") + value("Fix Level", "4") + value("Service Level", "x"),
       "KV7COPY1", platform::kErrorFileNotFound, CopyVersion{11, 5, 0, 0, ""}},
      {"a legacy copy has no fix level", legacy, "kv7v8", 0, CopyVersion{8, 2, 7, 0, ""}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    machine.writeRegistry(c.registry);
    InstallCopy installed(c.copy, false);
    std::unique_ptr<CopyVersion> v;
    EXPECT_EQ(installed.GetVersion(&v), c.result);
    ASSERT_NE(v, nullptr);
    EXPECT_EQ(v->version, c.expected.version);
    EXPECT_EQ(v->release, c.expected.release);
    EXPECT_EQ(v->modification, c.expected.modification);
    EXPECT_EQ(v->fixLevel, c.expected.fixLevel);
    EXPECT_STREQ(v->serviceLevel, c.expected.serviceLevel);
    EXPECT_EQ(installed.GetVersion(nullptr), RC_MISSING_ARGUMENT);
  }
  InstallCopy legacyCopy("kv7v8", false);
  EXPECT_TRUE(legacyCopy.IsLegacy());
  EXPECT_TRUE(legacyCopy.IsDefaultCopy());
}

TEST_F(InstallCopyTest, YesValuesOfTheCopyKeyIgnoreLetterCase) {
  const struct {
    const char* clientOnly;
    const char* mergeModule;
    bool expectClientOnly;
    bool expectMergeModule;
  } cases[] = {{"YES", "no", true, false},
               {"yes", "Yes", true, true},
               {"YES ", "", false, false},
               {nullptr, nullptr, false, false}};
  for (const auto& t : cases) {
    std::string reg = copy("KV7COPY1", "C:\\K1");
    if (t.clientOnly != nullptr) reg += value("ClientInterfaceOnlyCopy", t.clientOnly);
    if (t.mergeModule != nullptr) reg += value("IsMergeModuleCopy", t.mergeModule);
    machine.writeRegistry(reg);
    InstallCopy c("KV7COPY1", false);
    EXPECT_EQ(c.IsClientInterfaceOnlyCopy(), t.expectClientOnly);
    EXPECT_EQ(c.IsMergeModuleCopy(), t.expectMergeModule);
  }
}

TEST_F(InstallCopyTest, ProfileValuesFallBackToTheCopyPath) {
  machine.writeRegistry(copy("KV7COPY1", "C:\\K1") + key(kCopyKey + "\\GLOBAL_PROFILE") +
                        value("KV7INSTDEF", "KV7") + value("KV7INSTPROF", "C:\\Profiles"));
  InstallCopy c("KV7COPY1", false);
  char buffer[64];
  ASSERT_EQ(c.GetInstanceDefault(buffer, sizeof buffer), 0u);
  EXPECT_STREQ(buffer, "KV7");
  EXPECT_EQ(c.GetInstanceDefault(buffer, 3), RC_BUFFER_TOO_SMALL);
  ASSERT_EQ(c.GetInstanceProfilePath(buffer, sizeof buffer), 0u);
  EXPECT_STREQ(buffer, "C:\\Profiles");

  machine.writeRegistry(copy("KV7COPY1", "C:\\K1"));
  InstallCopy bare("KV7COPY1", false);
  EXPECT_EQ(bare.GetInstanceDefault(buffer, sizeof buffer), RC_FAILED);
  ASSERT_EQ(bare.GetInstanceProfilePath(buffer, sizeof buffer), 0u);
  EXPECT_STREQ(buffer, "C:\\K1");
  InstallCopy empty("", false);
  EXPECT_EQ(empty.GetInstanceDefault(buffer, sizeof buffer), RC_MISSING_ARGUMENT);
}

TEST_F(InstallCopyTest, OleDbProviderIdsAreReadInOrder) {
  const char* ids[] = {
      "{0A1B2C3D-0000-4000-8000-000000000001}", "{0A1B2C3D-0000-4000-8000-000000000002}",
      "{0A1B2C3D-0000-4000-8000-000000000003}", "{0A1B2C3D-0000-4000-8000-000000000004}",
      "{0A1B2C3D-0000-4000-8000-000000000005}"};
  const std::string oleDb = key(kCopyKey + "\\installData\\OLEDB");
  machine.writeRegistry(
      copy("KV7COPY1", "C:\\K1") + oleDb + value("QORDAKV7", ids[0]) +
      value("QORDAKV7 Error Lookup", ids[1]) + value("QORDAKV7 Enumerator", ids[2]) +
      value("QORDAKV7 Advanced Page", ids[3]) + value("QORDAKV7 Connection Page", ids[4]));
  InstallCopy c("KV7COPY1", false);
  char narrow[5][39];
  ASSERT_EQ(c.GetOleDbProviderIds(narrow[0], narrow[1], narrow[2], narrow[3], narrow[4]), 0u);
  char16_t wide[5][39];
  ASSERT_EQ(c.GetOleDbProviderIds(wide[0], wide[1], wide[2], wide[3], wide[4]), 0u);
  for (int i = 0; i < 5; ++i) {
    EXPECT_STREQ(narrow[i], ids[i]);
    EXPECT_EQ(std::u16string(wide[i]), std::u16string(ids[i], ids[i] + 38));
  }
  EXPECT_EQ(c.GetOleDbProviderIds(narrow[0], nullptr, narrow[2], narrow[3], narrow[4]),
            RC_MISSING_ARGUMENT);

  // Each read is limited to the size of the one before: a shorter first id
  // makes the second read too small.
  machine.writeRegistry(copy("KV7COPY1", "C:\\K1") + oleDb + value("QORDAKV7", "{short}") +
                        value("QORDAKV7 Error Lookup", ids[1]));
  InstallCopy shortFirst("KV7COPY1", false);
  EXPECT_EQ(shortFirst.GetOleDbProviderIds(narrow[0], narrow[1], narrow[2], narrow[3], narrow[4]),
            RC_BUFFER_TOO_SMALL);

  machine.writeRegistry(copy("KV7COPY1", "C:\\K1") + oleDb + value("QORDAKV7", ids[0]));
  InstallCopy missingValue("KV7COPY1", false);
  EXPECT_EQ(missingValue.GetOleDbProviderIds(narrow[0], narrow[1], narrow[2], narrow[3], narrow[4]),
            RC_FAILED);
  EXPECT_STREQ(narrow[0], ids[0]);
}

TEST_F(InstallCopyTest, ShortPathNeedsAnExistingDirectory) {
  machine.makeDirectory("C:\\Program Files\\QOR Telvar Copy");
  machine.writeRegistry(copy("KV7COPY1", "C:\\Program Files\\QOR Telvar Copy") +
                        copy("GONE", "C:\\Program Files\\Gone Copy"));
  InstallCopy present("KV7COPY1", false);
  char buffer[261];
  ASSERT_EQ(present.GetShortPath(buffer, sizeof buffer), 0u);
  EXPECT_EQ(std::string(buffer).find(' '), std::string::npos) << buffer;
  EXPECT_EQ(present.GetShortPath(buffer, 4), RC_BUFFER_TOO_SMALL);
  InstallCopy gone("GONE", false);
  EXPECT_EQ(gone.GetShortPath(buffer, sizeof buffer), RC_FAILED);
}

}  // namespace
