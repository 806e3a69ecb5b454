#include "process/pipe_reader.h"

#include <memory>

namespace {

constexpr uint32_t kReadSize = 512;

}  // namespace

uint32_t pipeReader(void* parameter) {
  std::unique_ptr<PipeReaderBlock> block(static_cast<PipeReaderBlock*>(parameter));
  // Without memory the reader still drains the pipe, so that the child never
  // blocks on a full pipe; what it writes is lost.
  block->capture->begin();
  char chunk[kReadSize];
  for (;;) {
    uint32_t read = 0;
    if (!platform::readFile(block->readEnd, chunk, kReadSize, &read) || read == 0) break;
    // The runner wakes a blocked read with a few zero bytes of its own after
    // it set the flag; those bytes are not the child's.
    if (block->stopFlag->load()) break;
    block->capture->append(chunk, read);
  }
  platform::closeHandle(block->readEnd);
  return 0;
}
