#include "process/capture_buffer.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

struct GrowthCase {
  const char* name;
  std::vector<std::size_t> pieces;  // sizes appended one after another
  std::size_t capacity;             // expected capacity afterwards
};

std::string patternText(std::size_t size, std::size_t offset) {
  std::string text;
  for (std::size_t i = 0; i < size; ++i) text += static_cast<char>((offset + i) % 251);
  return text;
}

TEST(ProcessRunnerCapture, GrowsByDoublingSoTheTerminatorAlwaysFits) {
  const GrowthCase cases[] = {
      {"nothing", {}, 1024},
      {"one short of full", {1023}, 1024},
      {"exactly the first capacity", {1024}, 2048},
      {"two reads of 512", {512, 512}, 2048},
      {"many small pieces", std::vector<std::size_t>(100, 100), 16384},
      {"one large piece", {5000}, 8192},
      {"empty pieces", {0, 0, 1023, 0}, 1024},
  };
  for (const GrowthCase& c : cases) {
    SCOPED_TRACE(c.name);
    CaptureBuffer capture;
    ASSERT_TRUE(capture.begin());
    std::string expected;
    for (std::size_t piece : c.pieces) {
      std::string bytes = patternText(piece, expected.size());
      ASSERT_TRUE(capture.append(bytes.data(), bytes.size()));
      expected += bytes;
    }
    EXPECT_EQ(capture.capacity(), c.capacity);
    EXPECT_EQ(capture.size(), expected.size());
    EXPECT_EQ(capture.view(), expected);  // zero bytes included, order kept across growth
    EXPECT_EQ(capture.c_str()[capture.size()], '\0');
  }
}

TEST(ProcessRunnerCapture, NoCaptureReadsEmptyAndBeginStartsAgainFromEmpty) {
  CaptureBuffer capture;
  EXPECT_FALSE(capture.present());
  EXPECT_FALSE(capture.append("x", 1));
  EXPECT_STREQ(capture.c_str(), "");
  EXPECT_EQ(capture.size(), 0u);

  ASSERT_TRUE(capture.begin());
  std::string big(3000, 'q');
  ASSERT_TRUE(capture.append(big.data(), big.size()));
  ASSERT_TRUE(capture.begin());
  EXPECT_EQ(capture.size(), 0u);
  EXPECT_EQ(capture.capacity(), CaptureBuffer::kInitialCapacity);
  EXPECT_STREQ(capture.c_str(), "");

  ASSERT_TRUE(capture.append("abc", 3));
  capture.discard();
  EXPECT_FALSE(capture.present());
  EXPECT_EQ(capture.capacity(), 0u);
  EXPECT_EQ(capture.view(), "");
}

}  // namespace
