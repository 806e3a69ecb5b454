#include "msicommand/command_buffer.h"

#include <gtest/gtest.h>

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
