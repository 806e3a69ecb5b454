#pragma once

#include <cstdint>

// The process runner's result codes.

// No memory to start a thread.
constexpr uint32_t kRunnerNoMemory = 5002;
// A thread start without a routine or without a thread record.
constexpr uint32_t kRunnerBadThreadArguments = 5003;
// A text did not fit its buffer: a capture copied into a caller's buffer (cut
// to fit), or a command too long for the command line (refused whole, never
// cut, and nothing runs).
constexpr uint32_t kRunnerTextDoesNotFit = 5006;
// The child was never started: the runner's pipes or handles failed.
constexpr uint32_t kRunnerNeverStarted = 5030;
// The child's exit code could not be read (its process did not start).
constexpr uint32_t kRunnerExitCodeUnavailable = 5082;
// The system refused to create a thread.
constexpr uint32_t kRunnerThreadStartFailed = 5111;
