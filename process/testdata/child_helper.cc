// A child for the process runner's tests. Options, each optional:
//   --out N     write N bytes to standard output
//   --err N     write N bytes to standard error
//   --sleep MS  then sleep MS milliseconds
//   --print-cwd 1  first write the current directory to standard output
//   --exit C    end with the 32-bit exit code C (decimal)
// The two streams are written in alternating pieces, so that a parent that
// drains only one of them blocks this child. Byte i of standard output is
// outputByte(i), of standard error errorByte(i).

#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <thread>

#include "platform/platform.h"

namespace {

char outputByte(std::size_t i) { return static_cast<char>('a' + i % 26); }
char errorByte(std::size_t i) { return static_cast<char>('0' + i % 10); }

bool writePiece(std::FILE* stream, char (*byteAt)(std::size_t), std::size_t* done,
                std::size_t total) {
  constexpr std::size_t kPiece = 4096;
  char piece[kPiece];
  std::size_t count = total - *done < kPiece ? total - *done : kPiece;
  for (std::size_t i = 0; i < count; ++i) piece[i] = byteAt(*done + i);
  if (std::fwrite(piece, 1, count, stream) != count || std::fflush(stream) != 0) return false;
  *done += count;
  return true;
}

}  // namespace

int main(int argc, char** argv) {
  if (uint32_t stop = platform::startProgram()) return platform::finishProgram(stop);
  std::size_t outBytes = 0;
  std::size_t errBytes = 0;
  unsigned long sleepMs = 0;
  uint32_t exitCode = 0;
  bool printCurrentDirectory = false;
  for (int i = 1; i + 1 < argc; i += 2) {
    std::string option = argv[i];
    unsigned long long value = std::strtoull(argv[i + 1], nullptr, 10);
    if (option == "--out") outBytes = static_cast<std::size_t>(value);
    if (option == "--err") errBytes = static_cast<std::size_t>(value);
    if (option == "--sleep") sleepMs = static_cast<unsigned long>(value);
    if (option == "--exit") exitCode = static_cast<uint32_t>(value);
    if (option == "--print-cwd") printCurrentDirectory = value != 0;
  }
  if (printCurrentDirectory) {
    char directory[261] = {};
    uint32_t length = platform::getCurrentDirectory(sizeof(directory), directory);
    if (length == 0 || length >= sizeof(directory)) return platform::finishProgram(92);
    std::fputs(directory, stdout);
    std::fflush(stdout);
  }
  std::size_t outDone = 0;
  std::size_t errDone = 0;
  // A stream whose reader has gone is given up, as a Windows program would
  // see its writes fail; the exit code stays the one asked for, so that a
  // test can tell how the child ended.
  while (outDone < outBytes || errDone < errBytes) {
    if (outDone < outBytes && !writePiece(stdout, outputByte, &outDone, outBytes)) {
      outBytes = outDone;
    }
    if (errDone < errBytes && !writePiece(stderr, errorByte, &errDone, errBytes)) {
      errBytes = errDone;
    }
  }
  if (sleepMs > 0) std::this_thread::sleep_for(std::chrono::milliseconds(sleepMs));
  return platform::finishProgram(exitCode);
}
