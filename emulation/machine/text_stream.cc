#include "emulation/machine/text_stream.h"

#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <string>
#include <vector>

namespace emulated {
namespace {

constexpr std::size_t kBufferSize = 65536;
constexpr char kEndOfText = '\x1A';  // Ctrl-Z

struct TextFile {
  int fd = -1;
  std::vector<char> raw = std::vector<char>(kBufferSize);
  std::size_t pos = 0;  // next unread byte of raw
  std::size_t len = 0;  // bytes held in raw
  bool endOfText = false;
};

// Reads more bytes after the unread ones; the count read, 0 at the end of
// the file, -1 on error.
ssize_t fillMore(TextFile& file) {
  if (file.pos > 0) {
    std::memmove(file.raw.data(), file.raw.data() + file.pos, file.len - file.pos);
    file.len -= file.pos;
    file.pos = 0;
  }
  for (;;) {
    const ssize_t n = ::read(file.fd, file.raw.data() + file.len, file.raw.size() - file.len);
    if (n < 0 && errno == EINTR) continue;
    if (n > 0) file.len += static_cast<std::size_t>(n);
    return n;
  }
}

// Where in [from, from + n) the text-mode reader must stop copying: at a
// carriage return (which may start a "\r\n" pair) or at a Ctrl-Z.
const char* nextSpecial(const char* from, std::size_t n) {
  const char* cr = static_cast<const char*>(std::memchr(from, '\r', n));
  const std::size_t plain = cr != nullptr ? static_cast<std::size_t>(cr - from) : n;
  const char* end = static_cast<const char*>(std::memchr(from, kEndOfText, plain));
  return end != nullptr ? end : from + plain;
}

// Hands out runs of ordinary bytes whole and looks at the bytes one by one
// only at a carriage return or a Ctrl-Z.
ssize_t readText(void* cookie, char* buffer, std::size_t size) {
  TextFile& file = *static_cast<TextFile*>(cookie);
  std::size_t out = 0;
  while (out < size && !file.endOfText) {
    if (file.pos == file.len) {
      if (out > 0) break;  // hand out what is ready before waiting for more
      const ssize_t n = fillMore(file);
      if (n < 0) return -1;
      if (n == 0) break;
    }
    const char* from = file.raw.data() + file.pos;
    const std::size_t n = std::min(size - out, file.len - file.pos);
    const char* stop = nextSpecial(from, n);
    const auto plain = static_cast<std::size_t>(stop - from);
    std::memcpy(buffer + out, from, plain);
    out += plain;
    file.pos += plain;
    if (plain == n) continue;
    if (*stop == kEndOfText) {
      file.endOfText = true;
      break;
    }
    // A carriage return: "\r\n" reads as "\n", looking past the bytes held
    // when the pair may continue in the next ones.
    if (file.pos + 1 == file.len) {
      const ssize_t more = fillMore(file);
      if (more < 0) {
        if (out > 0) break;
        return -1;
      }
    }
    if (file.pos + 1 < file.len && file.raw[file.pos + 1] == '\n') {
      buffer[out++] = '\n';
      file.pos += 2;
      continue;
    }
    buffer[out++] = '\r';
    ++file.pos;
  }
  return static_cast<ssize_t>(out);
}

bool writeAll(int fd, const char* data, std::size_t size) {
  while (size > 0) {
    const ssize_t n = ::write(fd, data, size);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return false;
    data += n;
    size -= static_cast<std::size_t>(n);
  }
  return true;
}

// Gives back the bytes read ahead, so that the file position is where the
// reader stands.
bool dropReadAhead(TextFile& file) {
  const auto unread = static_cast<off_t>(file.len - file.pos);
  file.pos = file.len = 0;
  file.endOfText = false;
  return unread == 0 || ::lseek(file.fd, -unread, SEEK_CUR) >= 0;
}

ssize_t writeText(void* cookie, const char* data, std::size_t size) {
  TextFile& file = *static_cast<TextFile*>(cookie);
  if (!dropReadAhead(file)) return -1;
  std::string translated;
  translated.reserve(size + size / 8);
  for (std::size_t i = 0; i < size; ++i) {
    if (data[i] == '\n') translated += '\r';
    translated += data[i];
  }
  if (!writeAll(file.fd, translated.data(), translated.size())) return -1;
  return static_cast<ssize_t>(size);
}

int seekText(void* cookie, off64_t* offset, int whence) {
  TextFile& file = *static_cast<TextFile*>(cookie);
  if (!dropReadAhead(file)) return -1;
  const off_t result = ::lseek(file.fd, static_cast<off_t>(*offset), whence);
  if (result < 0) return -1;
  *offset = result;
  return 0;
}

int closeText(void* cookie) {
  auto* file = static_cast<TextFile*>(cookie);
  const int result = ::close(file->fd);
  delete file;
  return result;
}

}  // namespace

std::FILE* openTextStream(int fd, const char* mode) {
  auto* file = new TextFile;
  file->fd = fd;
  const cookie_io_functions_t functions{readText, writeText, seekText, closeText};
  std::FILE* stream = ::fopencookie(file, mode, functions);
  if (stream == nullptr) {
    ::close(fd);
    delete file;
  }
  return stream;
}

}  // namespace emulated
