#pragma once

#include <atomic>
#include <cstdint>

#include "platform/platform.h"
#include "process/capture_buffer.h"

// What one reader thread needs. The runner allocates it; the reader owns it
// from the moment its thread runs and frees it when it ends.
struct PipeReaderBlock {
  CaptureBuffer* capture;             // the runner's capture of this stream
  platform::Handle readEnd;           // the reader's own copy of the pipe's read end
  const std::atomic<bool>* stopFlag;  // shared with the runner and the other reader
};

// Thread routine (a PipeReaderBlock): begins the capture, then reads the pipe
// 512 bytes at a time into it until the pipe fails or ends. When the stop flag
// is found set after a read, the bytes of that read are dropped and reading
// ends. Closes the read end and frees the block at the end. Returns 0.
uint32_t pipeReader(void* block);
