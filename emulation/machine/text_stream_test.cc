#include "emulation/machine/text_stream.h"

#include <fcntl.h>
#include <gtest/gtest.h>

#include <cstdio>
#include <string>

#include "emulation/testing/test_machine.h"
#include "platform/platform.h"

namespace {

using emulated::TestMachine;

std::string readAll(std::FILE* file) {
  std::string text;
  char buffer[7];  // small, so lines and CRLF pairs cross reads
  while (std::fgets(buffer, sizeof buffer, file) != nullptr) text += buffer;
  return text;
}

TEST(EmulatedTextMode, ReadsCrLfAsLf) {
  TestMachine machine;
  struct Case {
    std::string stored;
    std::string read;
  };
  const Case cases[] = {
      {"KEY=one\r\nKEY2=two\r\n", "KEY=one\nKEY2=two\n"},
      {"unix\nline\n", "unix\nline\n"},
      {"lone\rcr\r\r\n", "lone\rcr\r\n"},
      {"ends in cr\r", "ends in cr\r"},
      {"text\r\n\x1A"
       "after the end",
       "text\n"},
      {std::string(65535, 'x') + "\r\n", std::string(65535, 'x') + "\n"},
  };
  for (const Case& c : cases) {
    machine.writeFile("C:\\text.txt", c.stored);
    std::FILE* text = platform::openFile("C:\\TEXT.TXT", "r");
    ASSERT_NE(text, nullptr);
    EXPECT_EQ(readAll(text), c.read);
    EXPECT_FALSE(std::ferror(text));
    std::rewind(text);
    EXPECT_EQ(readAll(text), c.read);
    std::fclose(text);
    std::FILE* binary = platform::openFile("C:\\text.txt", "rb");
    ASSERT_NE(binary, nullptr);
    EXPECT_EQ(readAll(binary), c.stored);
    std::fclose(binary);
  }
}

TEST(EmulatedTextMode, WritesLfAsCrLf) {
  TestMachine machine;
  std::FILE* file = platform::openFile("C:\\out.log", "w");
  ASSERT_NE(file, nullptr);
  std::fprintf(file, "first %d\nsecond\r\n", 1);
  std::fclose(file);
  EXPECT_EQ(machine.readFile("C:\\out.log"), "first 1\r\nsecond\r\r\n");
  file = platform::openFile("C:\\out.log", "a");
  std::fputs("third\n", file);
  std::fclose(file);
  EXPECT_EQ(machine.readFile("C:\\out.log"), "first 1\r\nsecond\r\r\nthird\r\n");
  file = platform::openFile("C:\\out.log", "wb");
  std::fputs("raw\n", file);
  std::fclose(file);
  EXPECT_EQ(machine.readFile("C:\\out.log"), "raw\n");

  file = platform::openFile("C:\\update.txt", "w+");
  ASSERT_NE(file, nullptr);
  std::fputs("a\nb\n", file);
  std::rewind(file);
  EXPECT_EQ(readAll(file), "a\nb\n");
  std::fclose(file);
  EXPECT_EQ(platform::openFile("C:\\missing\\x.txt", "w"), nullptr);
  EXPECT_EQ(platform::openFile("C:\\absent.txt", "r"), nullptr);
}

TEST(EmulatedTextMode, ReportsReadErrors) {
  TestMachine machine;
  // A directory opened for reading fails every read.
  const int fd = ::open(machine.dir().c_str(), O_RDONLY | O_CLOEXEC);
  ASSERT_GE(fd, 0);
  std::FILE* file = emulated::openTextStream(fd, "r");
  ASSERT_NE(file, nullptr);
  EXPECT_EQ(std::fgetc(file), EOF);
  EXPECT_TRUE(std::ferror(file));
  std::fclose(file);
}

}  // namespace
