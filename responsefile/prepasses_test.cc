#include "responsefile/prepasses.h"

#include <gtest/gtest.h>
#include <stdio.h>

#include <cerrno>
#include <string>
#include <vector>

#include "responsefile/response_file.h"
#include "responsefile/test_support.h"

namespace {

using Names = std::vector<std::string>;

TEST(Prepasses, CollectInstanceNamesWhereverTheyAreGiven) {
  auto file = loadText(
      "KV7.MAXAGENTS = 10\n"
      "INSTANCE = inst1 ** the first\n"
      "  instance=inst2\n"
      "INSTANCES = not_an_instance\n"
      "INSTANCE\n"
      "INSTANCE =\n"
      "# INSTANCE = commented\n"
      "DEFAULT_INSTANCE = first\n"
      "DEFAULT_INSTANCE = KV7\n"
      "CTLSRV_INSTANCE = KV7CTLSV\n"
      "ADMIN_INSTANCE = ADM ## admin\n");
  EXPECT_EQ(file->instanceNames(), (Names{"inst1", "inst2"}));
  EXPECT_STREQ(file->defaultInstance(), "KV7") << "a later line replaces an earlier one";
  EXPECT_STREQ(file->controlServerInstance(), "KV7CTLSV");
  EXPECT_STREQ(file->adminInstance(), "ADM");
  // The names are known before the first line is resolved.
  EXPECT_EQ(file->findEntry("KV7.MAXAGENTS", 0)->state(), EntryValid);
}

TEST(Prepasses, InstanceFieldsAreEmptyWithoutTheirLines) {
  auto file = loadText("PROD=ALL\n");
  EXPECT_STREQ(file->defaultInstance(), "");
  EXPECT_STREQ(file->controlServerInstance(), "");
  EXPECT_STREQ(file->adminInstance(), "");
  EXPECT_TRUE(file->instanceNames().empty());
}

TEST(Prepasses, CollectBlockNamesOfEachKindCutToEightyCharacters) {
  std::string longName(100, 'D');
  auto file = loadText(
      "DATABASE = SAMPLE\nNEW_NODE = node1\nCONTACT = ops\nLEVEL = fp1\n"
      "database = " +
      longName + "\nDATABASE=TOOLSDB\nDATABASES=no\n");
  EXPECT_EQ(file->blockNames(BlockKind::kDatabase),
            (Names{"SAMPLE", longName.substr(0, 80), "TOOLSDB"}));
  EXPECT_EQ(file->blockNames(BlockKind::kNewNode), (Names{"node1"}));
  EXPECT_EQ(file->blockNames(BlockKind::kContact), (Names{"ops"}));
  EXPECT_EQ(file->blockNames(BlockKind::kLevel), (Names{"fp1"}));
}

TEST(Prepasses, LongInstanceValuesAreCutToEightyCharacters) {
  std::string longName(90, 'i');
  auto file = loadText("DEFAULT_INSTANCE = " + longName + "\nINSTANCE = " + longName + "\n");
  EXPECT_EQ(std::string(file->defaultInstance()), longName.substr(0, 80));
  EXPECT_EQ(file->instanceNames(), (Names{longName.substr(0, 80)}));
}

TEST(Prepasses, SeeEachPieceOfALongLineAsALineOfItsOwn) {
  // The 1023 characters before "DATABASE" fill one read; the rest of the
  // line is read, and collected, as a line.
  auto file = loadText(std::string(1023, 'x') + "DATABASE = hidden\n");
  EXPECT_EQ(file->blockNames(BlockKind::kDatabase), (Names{"hidden"}));
}

TEST(Prepasses, EncryptedTakesTheFirstWordOfExactlySpelledLines) {
  auto file = loadText(
      "ENCRYPTED = KAS_PASSWORD ## note\n"
      "   ENCRYPTED=WW_PASSWORD#x\n"
      "ENCRYPTED = PASSWORD CONFIRM_PASSWORD\n"
      "ENCRYPTED =\n"
      "encrypted = lower_case\n"
      "\tENCRYPTED = after_tab\n"
      "ENCRYPTEDX = other\n"
      "ENCRYPTED = star*s\n");
  EXPECT_EQ(file->encryptedKeywords(), (Names{"KAS_PASSWORD", "WW_PASSWORD", "PASSWORD", "star"}));
}

// A stream whose reads fail after the first block, to see how the passes
// report a read error.
ssize_t failingRead(void*, char*, size_t) {
  errno = EIO;
  return -1;
}

TEST(Prepasses, AReadErrorGivesStatusThreeAndNoEntries) {
  cookie_io_functions_t io = {failingRead, nullptr, nullptr, nullptr};
  FILE* stream = fopencookie(nullptr, "r", io);
  ASSERT_NE(stream, nullptr);
  ResponseFile file(stream);
  fclose(stream);
  EXPECT_EQ(file.status(), RspReadFailed);
  EXPECT_EQ(file.entryCount(), 0);

  auto good = loadText("DATABASE=SAMPLE\n");
  FILE* failing = fopencookie(nullptr, "r", io);
  std::vector<std::string> names{"stale"};
  EXPECT_EQ(collectBlockNames(*good, failing, "DATABASE", 80, names), RspReadFailed);
  EXPECT_TRUE(names.empty());
  fclose(failing);
}

}  // namespace
