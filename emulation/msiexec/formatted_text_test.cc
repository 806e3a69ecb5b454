#include "emulation/msiexec/formatted_text.h"

#include <gtest/gtest.h>

#include <cstdlib>

namespace msiexec {
namespace {

TEST(FormattedTextTest, ReplacesEachKindOfField) {
  PropertyTable p;
  p.set("KV7_COPY_NAME", "SITEA");
  p.set("INSTALLDIR", "C:\\apps\\SITEA\\");
  p.set("ProductCode", "{5C1E7A20-3B9D-4F62-A8D1-0E4B7C93F2A6}");
  ::setenv("KV7_FORMAT_TEST", "env-value", 1);
  FormatSources sources;
  sources.properties = &p;
  sources.filePath = [](std::string_view key) {
    return key == "kv7drv.dll" ? std::string("C:\\apps\\SITEA\\bin\\kv7drv.dll") : std::string();
  };
  sources.componentDirectory = [](std::string_view key) {
    return key == "DriverLibrary" ? std::string("C:\\apps\\SITEA\\bin\\") : std::string();
  };
  struct Case {
    const char* text;
    std::string expected;
  };
  const Case cases[] = {
      {"SOFTWARE\\QOR\\KV7\\InstalledCopies\\[KV7_COPY_NAME]\\",
       "SOFTWARE\\QOR\\KV7\\InstalledCopies\\SITEA\\"},
      {"SOFTWARE\\QOR\\KV7\\DriverPackages\\[ProductCode]",
       "SOFTWARE\\QOR\\KV7\\DriverPackages\\{5C1E7A20-3B9D-4F62-A8D1-0E4B7C93F2A6}"},
      {"[INSTALLDIR]bin", "C:\\apps\\SITEA\\bin"},
      {"[UNSET]", ""},
      {"[KV7_COPY_NAME][KV7_COPY_NAME]", "SITEASITEA"},
      {"[%KV7_FORMAT_TEST]", "env-value"},
      {"[#kv7drv.dll]", "C:\\apps\\SITEA\\bin\\kv7drv.dll"},
      {"[!kv7drv.dll]", "C:\\apps\\SITEA\\bin\\kv7drv.dll"},
      {"[#unknown]", ""},
      {"[$DriverLibrary]", "C:\\apps\\SITEA\\bin\\"},
      {"[\\[]x[\\]]", "[x]"},
      {"a[\\;]b", "a;b"},
      {"a[~]b", std::string("a\0b", 3)},
      {"no fields", "no fields"},
      {"[not a field]", "[not a field]"},  // kept as written
      {"[]", "[]"},
      {"open [KV7_COPY_NAME", "open [KV7_COPY_NAME"},
      {"[[KV7_COPY_NAME]", "[SITEA"},
      {"close ]", "close ]"},
  };
  for (const Case& c : cases) EXPECT_EQ(formatText(c.text, sources), c.expected) << c.text;
}

TEST(FormattedTextTest, WithoutSourcesFieldsAreEmpty) {
  FormatSources none;
  EXPECT_EQ(formatText("a[NAME]b[#file]c[$comp]", none), "abc");
}

}  // namespace
}  // namespace msiexec
