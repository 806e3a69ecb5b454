#include "emulation/msiexec/cabinet.h"

#include <zlib.h>

#include <cstdint>
#include <vector>

namespace msiexec {
namespace {

constexpr uint16_t kFlagPreviousCabinet = 0x1;
constexpr uint16_t kFlagNextCabinet = 0x2;
constexpr uint16_t kFlagReservePresent = 0x4;
constexpr uint16_t kCompressionMask = 0x000F;
constexpr uint16_t kCompressionNone = 0;
constexpr uint16_t kCompressionMszip = 1;
constexpr std::size_t kMaxBlockSize = 32768;
constexpr uint16_t kFirstContinuedFolder = 0xFFFD;

// Little-endian fields read with bounds checks.
class Reader {
 public:
  explicit Reader(std::string_view bytes) : bytes_(bytes) {}
  bool seek(std::size_t at) {
    if (at > bytes_.size()) return false;
    pos_ = at;
    return true;
  }
  std::size_t pos() const { return pos_; }
  bool skip(std::size_t n) { return n <= bytes_.size() - pos_ && seek(pos_ + n); }
  bool u8(uint8_t* v) {
    if (bytes_.size() - pos_ < 1) return false;
    *v = static_cast<uint8_t>(bytes_[pos_++]);
    return true;
  }
  bool u16(uint16_t* v) {
    uint8_t a, b;
    if (!u8(&a) || !u8(&b)) return false;
    *v = static_cast<uint16_t>(a | (b << 8));
    return true;
  }
  bool u32(uint32_t* v) {
    uint16_t a, b;
    if (!u16(&a) || !u16(&b)) return false;
    *v = a | (static_cast<uint32_t>(b) << 16);
    return true;
  }
  bool text(std::string* s) {
    const std::size_t end = bytes_.find('\0', pos_);
    if (end == std::string_view::npos) return false;
    *s = std::string(bytes_.substr(pos_, end - pos_));
    pos_ = end + 1;
    return true;
  }
  bool bytes(std::size_t n, std::string_view* out) {
    if (bytes_.size() - pos_ < n) return false;
    *out = bytes_.substr(pos_, n);
    pos_ += n;
    return true;
  }

 private:
  std::string_view bytes_;
  std::size_t pos_ = 0;
};

struct Folder {
  uint32_t firstBlock = 0;
  uint16_t blockCount = 0;
  uint16_t compression = 0;
};

bool fail(std::string* error, std::string reason) {
  if (error) *error = "damaged cabinet: " + std::move(reason);
  return false;
}

// One MSZIP block: "CK" and a deflate stream that may refer back into the
// previous block's output.
bool inflateBlock(std::string_view block, std::size_t expected, const std::string& previous,
                  std::string* out, std::string* error) {
  if (block.size() < 2 || block[0] != 'C' || block[1] != 'K') {
    return fail(error, "an MSZIP block lacks its signature");
  }
  z_stream z{};
  if (inflateInit2(&z, -MAX_WBITS) != Z_OK) return fail(error, "cannot start inflating");
  if (!previous.empty() && inflateSetDictionary(&z, reinterpret_cast<const Bytef*>(previous.data()),
                                                static_cast<uInt>(previous.size())) != Z_OK) {
    inflateEnd(&z);
    return fail(error, "cannot carry the previous block over");
  }
  std::string output(expected, '\0');
  z.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(block.data() + 2));
  z.avail_in = static_cast<uInt>(block.size() - 2);
  z.next_out = reinterpret_cast<Bytef*>(output.data());
  z.avail_out = static_cast<uInt>(output.size());
  const int result = inflate(&z, Z_FINISH);
  const std::size_t produced = output.size() - z.avail_out;
  inflateEnd(&z);
  // Some writers leave the last deflate block of an MSZIP block open; what
  // counts is that the block gives exactly its size.
  const bool inflated = result == Z_STREAM_END || result == Z_BUF_ERROR || result == Z_OK;
  if (!inflated || produced != expected) {
    return fail(error, "an MSZIP block does not inflate to its size");
  }
  *out = std::move(output);
  return true;
}

// The uncompressed bytes of a folder: its data blocks, one after the other.
bool readFolder(std::string_view cabinet, const Folder& folder, uint8_t blockReserve,
                std::string* data, std::string* error) {
  const uint16_t compression = folder.compression & kCompressionMask;
  if (compression != kCompressionNone && compression != kCompressionMszip) {
    if (error) *error = "cabinet compression " + std::to_string(compression) + " is not supported";
    return false;
  }
  Reader r(cabinet);
  if (!r.seek(folder.firstBlock)) return fail(error, "a folder starts past the end");
  std::string previous;
  for (uint16_t i = 0; i < folder.blockCount; ++i) {
    uint32_t checksum;
    uint16_t packed, unpacked;
    std::string_view block;
    if (!r.u32(&checksum) || !r.u16(&packed) || !r.u16(&unpacked) || !r.skip(blockReserve) ||
        !r.bytes(packed, &block)) {
      return fail(error, "a data block runs past the end");
    }
    if (unpacked > kMaxBlockSize) return fail(error, "a data block is too large");
    if (unpacked == 0) return fail(error, "a data block continues in another cabinet");
    if (compression == kCompressionNone) {
      if (packed != unpacked) return fail(error, "a stored block changes its size");
      previous.assign(block.data(), block.size());
    } else if (!inflateBlock(block, unpacked, previous, &previous, error)) {
      return false;
    }
    data->append(previous);
  }
  return true;
}

}  // namespace

bool extractCabinet(std::string_view cabinet, std::map<std::string, std::string>* files,
                    std::string* error) {
  files->clear();
  Reader r(cabinet);
  std::string_view signature;
  uint32_t reserved, size, filesOffset;
  uint8_t minor, major;
  uint16_t folderCount, fileCount, flags, setId, index;
  if (!r.bytes(4, &signature) || signature != "MSCF") return fail(error, "no cabinet signature");
  if (!r.u32(&reserved) || !r.u32(&size) || !r.u32(&reserved) || !r.u32(&filesOffset) ||
      !r.u32(&reserved) || !r.u8(&minor) || !r.u8(&major) || !r.u16(&folderCount) ||
      !r.u16(&fileCount) || !r.u16(&flags) || !r.u16(&setId) || !r.u16(&index)) {
    return fail(error, "the header is cut short");
  }
  if (size > cabinet.size()) return fail(error, "the cabinet is cut short");
  if (flags & (kFlagPreviousCabinet | kFlagNextCabinet)) {
    if (error) *error = "cabinets that span several files are not supported";
    return false;
  }
  uint16_t headerReserve = 0;
  uint8_t folderReserve = 0, blockReserve = 0;
  if (flags & kFlagReservePresent) {
    if (!r.u16(&headerReserve) || !r.u8(&folderReserve) || !r.u8(&blockReserve) ||
        !r.skip(headerReserve)) {
      return fail(error, "the reserved area is cut short");
    }
  }
  std::vector<Folder> folders(folderCount);
  for (Folder& folder : folders) {
    if (!r.u32(&folder.firstBlock) || !r.u16(&folder.blockCount) || !r.u16(&folder.compression) ||
        !r.skip(folderReserve)) {
      return fail(error, "a folder entry is cut short");
    }
  }
  std::vector<std::string> folderData(folderCount);
  std::vector<bool> folderRead(folderCount, false);
  if (!r.seek(filesOffset)) return fail(error, "the file entries start past the end");
  for (uint16_t i = 0; i < fileCount; ++i) {
    uint32_t fileSize, offset;
    uint16_t folderIndex, date, time, attributes;
    std::string name;
    if (!r.u32(&fileSize) || !r.u32(&offset) || !r.u16(&folderIndex) || !r.u16(&date) ||
        !r.u16(&time) || !r.u16(&attributes) || !r.text(&name)) {
      return fail(error, "a file entry is cut short");
    }
    if (folderIndex >= kFirstContinuedFolder) {
      if (error) *error = "\"" + name + "\" continues in another cabinet";
      return false;
    }
    if (folderIndex >= folderCount) return fail(error, "\"" + name + "\" names no folder");
    if (!folderRead[folderIndex]) {
      if (!readFolder(cabinet, folders[folderIndex], blockReserve, &folderData[folderIndex],
                      error)) {
        return false;
      }
      folderRead[folderIndex] = true;
    }
    const std::string& data = folderData[folderIndex];
    if (offset > data.size() || fileSize > data.size() - offset) {
      return fail(error, "\"" + name + "\" lies beyond its folder's data");
    }
    (*files)[name] = data.substr(offset, fileSize);
  }
  return true;
}

}  // namespace msiexec
