#include "responsefile/piece_reader.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <random>
#include <string>
#include <vector>

namespace {

std::FILE* streamOf(const std::string& bytes) {
  std::FILE* stream = std::tmpfile();
  std::fwrite(bytes.data(), 1, bytes.size(), stream);
  return stream;
}

// The pieces a line reader with a 1024-byte buffer sees, each cut at its
// first NUL byte.
std::vector<std::string> piecesByLineReader(std::FILE* stream) {
  std::rewind(stream);
  std::vector<std::string> pieces;
  char buffer[1024];
  while (std::fgets(buffer, sizeof buffer, stream) != nullptr) pieces.emplace_back(buffer);
  return pieces;
}

std::vector<std::string> piecesByPieceReader(std::FILE* stream) {
  PieceReader reader(stream);
  std::vector<std::string> pieces;
  std::string_view piece;
  while (reader.next(piece)) pieces.emplace_back(piece);
  EXPECT_FALSE(reader.failed());
  return pieces;
}

TEST(PieceReader, SeesWhatALineReaderSeesAcrossReadBlocks) {
  // Lines of every length around the 1023-character limit and NUL bytes,
  // over several of the reader's 64 KiB blocks.
  std::mt19937 random(7);
  std::string bytes;
  while (bytes.size() < 300000) {
    std::size_t length = random() % 4 == 0 ? 1015 + random() % 20 : random() % 3000;
    for (std::size_t i = 0; i < length; ++i) {
      char c = static_cast<char>('a' + random() % 26);
      if (random() % 500 == 0) c = '\0';
      bytes.push_back(c);
    }
    bytes.push_back('\n');
  }
  bytes += "last line without newline";
  std::FILE* stream = streamOf(bytes);
  std::vector<std::string> expected = piecesByLineReader(stream);
  std::vector<std::string> seen = piecesByPieceReader(stream);
  std::fclose(stream);
  ASSERT_EQ(seen.size(), expected.size());
  for (std::size_t i = 0; i < seen.size(); ++i) ASSERT_EQ(seen[i], expected[i]) << "piece " << i;
}

}  // namespace
