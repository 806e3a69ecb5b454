#include "emulation/msiexec/registry_value_text.h"

#include <gtest/gtest.h>

#include "emulation/machine/code_page.h"
#include "platform/platform.h"

namespace msiexec {
namespace {

TEST(RegistryValueTextTest, ChoosesTheTypeByThePrefix) {
  struct Case {
    std::string text;
    uint32_t type;
    std::string data;
  };
  auto utf16 = [](std::u16string_view s) { return emulated::utf16ToBytes(s); };
  const Case cases[] = {
      {"C:\\apps\\SITEA", platform::kRegSz, utf16(std::u16string(u"C:\\apps\\SITEA") + u'\0')},
      {"", platform::kRegSz, utf16(std::u16string(1, u'\0'))},
      {"600", platform::kRegSz, utf16(std::u16string(u"600") + u'\0')},
      {"##1", platform::kRegSz, utf16(std::u16string(u"#1") + u'\0')},
      {"#%%TEMP%\\x", platform::kRegExpandSz, utf16(std::u16string(u"%TEMP%\\x") + u'\0')},
      {"#600", platform::kRegDword, std::string("\x58\x02\0\0", 4)},
      {"#-1", platform::kRegDword, std::string("\xFF\xFF\xFF\xFF", 4)},
      {"#4294967295", platform::kRegDword, std::string("\xFF\xFF\xFF\xFF", 4)},
      {"#x0aFF", platform::kRegBinary, std::string("\x0a\xff", 2)},
      {"#xA", platform::kRegBinary, std::string("\x0a", 1)},
      {std::string("one\0two", 7), platform::kRegMultiSz,
       utf16(std::u16string(u"one\0two\0\0", 9))},
      {std::string("\0lead", 5), platform::kRegMultiSz, utf16(std::u16string(u"lead\0\0", 6))},
  };
  for (const Case& c : cases) {
    emulated::RegistryValue value;
    std::string error;
    ASSERT_TRUE(registryValueFromText("Name", c.text, &value, &error)) << c.text << ": " << error;
    EXPECT_EQ(value.name, "Name");
    EXPECT_EQ(value.type, c.type) << c.text;
    EXPECT_EQ(value.data, c.data) << c.text;
  }
}

TEST(RegistryValueTextTest, RefusesMalformedNumbersAndBinaryData) {
  for (const char* text : {"#", "#12a", "#4294967296", "#xZZ", "#x1G", "#-"}) {
    emulated::RegistryValue value;
    std::string error;
    EXPECT_FALSE(registryValueFromText("Name", text, &value, &error)) << text;
    EXPECT_FALSE(error.empty()) << text;
  }
}

}  // namespace
}  // namespace msiexec
