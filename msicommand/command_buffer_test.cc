#include "msicommand/command_buffer.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

// The buffer of a run is 4097 bytes: a command of 4095 characters is the
// longest accepted, and nothing is ever written past the buffer.
TEST(CommandBufferTest, AcceptsUpToTwoBelowTheBufferSizeAndNeverWritesPastIt) {
  std::vector<char> storage(4097 + 16, '#');
  CommandBuffer command(storage.data(), 4097);
  command.append(std::string(4094, 'a'));
  command.append("b");
  EXPECT_TRUE(command.fits());
  EXPECT_EQ(command.length(), 4095u);
  command.append("c");
  EXPECT_FALSE(command.fits());
  EXPECT_EQ(std::string(storage.data()), std::string(4094, 'a') + "b");
  for (std::size_t i = 4097; i < storage.size(); ++i) ASSERT_EQ(storage[i], '#');
}

TEST(CommandBufferTest, RefusesAPieceWholeAndEveryLaterPiece) {
  char buffer[12];
  CommandBuffer command(buffer, sizeof buffer);
  command.append("msi ");
  command.appendQuoted("abcdefgh");  // would need 10 more characters
  command.append("x");               // fits, but follows a refused piece
  EXPECT_FALSE(command.fits());
  EXPECT_STREQ(buffer, "msi ");
}

TEST(CommandBufferTest, QuotesWithoutEscapingAndResetsCleanly) {
  char buffer[64];
  CommandBuffer command(buffer, sizeof buffer);
  command.append("x");
  command.reset("C:\\Windows\\system32\\msiexec.exe /i ");
  command.appendQuoted("D:\\a \"b\"");
  EXPECT_TRUE(command.fits());
  EXPECT_STREQ(buffer, "C:\\Windows\\system32\\msiexec.exe /i \"D:\\a \"b\"\"");
}
