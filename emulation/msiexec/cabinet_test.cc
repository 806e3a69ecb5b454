#include "emulation/msiexec/cabinet.h"

#include <gtest/gtest.h>
#include <zlib.h>

#include <cstdint>
#include <vector>

namespace msiexec {
namespace {

void put16(std::string* out, uint16_t v) {
  out->push_back(static_cast<char>(v & 0xFF));
  out->push_back(static_cast<char>(v >> 8));
}
void put32(std::string* out, uint32_t v) {
  put16(out, static_cast<uint16_t>(v & 0xFFFF));
  put16(out, static_cast<uint16_t>(v >> 16));
}

// One MSZIP block: "CK" and a raw deflate stream that may refer back into
// the previous block, as cabinet writers make them.
std::string mszipBlock(const std::string& data, const std::string& previous) {
  z_stream z{};
  EXPECT_EQ(deflateInit2(&z, 9, Z_DEFLATED, -MAX_WBITS, 8, Z_DEFAULT_STRATEGY), Z_OK);
  if (!previous.empty()) {
    deflateSetDictionary(&z, reinterpret_cast<const Bytef*>(previous.data()),
                         static_cast<uInt>(previous.size()));
  }
  std::string out(deflateBound(&z, data.size()) + 16, '\0');
  z.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(data.data()));
  z.avail_in = static_cast<uInt>(data.size());
  z.next_out = reinterpret_cast<Bytef*>(out.data());
  z.avail_out = static_cast<uInt>(out.size());
  EXPECT_EQ(deflate(&z, Z_FINISH), Z_STREAM_END);
  out.resize(out.size() - z.avail_out);
  deflateEnd(&z);
  return "CK" + out;
}

// A one-folder cabinet holding the files in order, cut into data blocks of
// blockSize bytes.
std::string makeCabinet(const std::vector<std::pair<std::string, std::string>>& files,
                        uint16_t compression, std::size_t blockSize = 32768) {
  std::string all;
  for (const auto& file : files) all += file.second;
  std::vector<std::string> blocks;
  std::vector<uint16_t> sizes;
  std::string previous;
  for (std::size_t at = 0; at < all.size() || blocks.empty(); at += blockSize) {
    const std::string part = all.substr(at, blockSize);
    blocks.push_back(compression == 1 ? mszipBlock(part, previous) : part);
    sizes.push_back(static_cast<uint16_t>(part.size()));
    previous = part;
    if (all.empty()) break;
  }
  const uint32_t headerSize = 36;
  const uint32_t folderSize = 8;
  uint32_t filesSize = 0;
  for (const auto& file : files) filesSize += 16 + static_cast<uint32_t>(file.first.size()) + 1;
  const uint32_t dataStart = headerSize + folderSize + filesSize;
  uint32_t total = dataStart;
  for (const std::string& block : blocks) total += 8 + static_cast<uint32_t>(block.size());

  std::string cab = "MSCF";
  put32(&cab, 0);
  put32(&cab, total);
  put32(&cab, 0);
  put32(&cab, headerSize + folderSize);  // first file entry
  put32(&cab, 0);
  cab.push_back(3);  // version 1.3
  cab.push_back(1);
  put16(&cab, 1);  // folders
  put16(&cab, static_cast<uint16_t>(files.size()));
  put16(&cab, 0);  // flags
  put16(&cab, 0);  // set id
  put16(&cab, 0);  // cabinet index
  put32(&cab, dataStart);
  put16(&cab, static_cast<uint16_t>(blocks.size()));
  put16(&cab, compression);
  uint32_t offset = 0;
  for (const auto& file : files) {
    put32(&cab, static_cast<uint32_t>(file.second.size()));
    put32(&cab, offset);
    put16(&cab, 0);  // folder
    put16(&cab, 0x5A21);
    put16(&cab, 0x1220);
    put16(&cab, 0x20);
    cab += file.first;
    cab.push_back('\0');
    offset += static_cast<uint32_t>(file.second.size());
  }
  for (std::size_t i = 0; i < blocks.size(); ++i) {
    put32(&cab, 0);  // no checksum
    put16(&cab, static_cast<uint16_t>(blocks[i].size()));
    put16(&cab, sizes[i]);
    cab += blocks[i];
  }
  return cab;
}

// Text that repeats across block boundaries, so that blocks refer back into
// the ones before them.
std::string repetitive(std::size_t size) {
  std::string text;
  for (std::size_t i = 0; text.size() < size; ++i) {
    text += "driver level " + std::to_string(i % 37) + ";";
  }
  text.resize(size);
  return text;
}

TEST(CabinetTest, ExtractsStoredAndMszipFilesAcrossBlocks) {
  const std::vector<std::pair<std::string, std::string>> files = {
      {"kv7drv.dll", repetitive(70000)},
      {"kv7kvdriver.lvl", "11.5.600\r\n"},
      {"empty.txt", ""},
      {"tail.bin", std::string("\0\1\2\3", 4) + repetitive(5000)}};
  for (uint16_t compression : {0, 1}) {
    for (std::size_t blockSize : {std::size_t{32768}, std::size_t{1000}}) {
      std::map<std::string, std::string> extracted;
      std::string error;
      ASSERT_TRUE(extractCabinet(makeCabinet(files, compression, blockSize), &extracted, &error))
          << "compression " << compression << ", blocks of " << blockSize << ": " << error;
      ASSERT_EQ(extracted.size(), files.size());
      for (const auto& [name, content] : files) {
        EXPECT_EQ(extracted[name], content) << name << ", compression " << compression;
      }
    }
  }
}

TEST(CabinetTest, RefusesDamagedCabinetsWithoutReadingPastThem) {
  const std::string good =
      makeCabinet({{"a.txt", repetitive(3000)}, {"b.txt", repetitive(1200)}}, 1, 1024);
  std::map<std::string, std::string> files;
  std::string error;
  ASSERT_TRUE(extractCabinet(good, &files, &error)) << error;
  // Every cut-off copy is refused (and under the address sanitizer, read
  // only within its bytes), also when its header claims the cut size.
  for (std::size_t size = 0; size < good.size(); ++size) {
    std::string cut = good.substr(0, size);
    EXPECT_FALSE(extractCabinet(cut, &files, &error)) << "cut at " << size;
    if (size >= 12) {
      std::string sized;
      put32(&sized, static_cast<uint32_t>(size));
      cut.replace(8, 4, sized);
      EXPECT_FALSE(extractCabinet(cut, &files, &error)) << "cut and sized at " << size;
    }
  }
  // A changed byte inside the compressed data is found out.
  std::string corrupt = good;
  corrupt[corrupt.size() - 20] ^= 0x5A;
  EXPECT_FALSE(extractCabinet(corrupt, &files, &error));

  std::string notCab = good;
  notCab[0] = 'X';
  EXPECT_FALSE(extractCabinet(notCab, &files, &error));
  EXPECT_NE(error.find("signature"), std::string::npos) << error;
}

TEST(CabinetTest, NamesWhatItDoesNotSupport) {
  std::map<std::string, std::string> files;
  std::string error;
  std::string lzx = makeCabinet({{"a.txt", "abc"}}, 1);
  lzx[36 + 6] = 3;  // the folder's compression: LZX
  EXPECT_FALSE(extractCabinet(lzx, &files, &error));
  EXPECT_NE(error.find("compression 3"), std::string::npos) << error;

  std::string spanning = makeCabinet({{"a.txt", "abc"}}, 0);
  spanning[30] = 2;  // flags: continues in a next cabinet
  EXPECT_FALSE(extractCabinet(spanning, &files, &error));
  EXPECT_NE(error.find("several files"), std::string::npos) << error;
}

}  // namespace
}  // namespace msiexec
