#pragma once

#include <cstdint>
#include <thread>

// The routine a thread runs with its one parameter; its result ends the
// thread.
using ThreadRoutine = uint32_t (*)(void* parameter);

// A started thread, or none (the thread is not joinable then).
struct ThreadRecord {
  std::thread thread;
};

// Starts routine(parameter) on a new thread kept in record. 0 on success;
// kRunnerBadThreadArguments for a null routine or record, or a record that
// still holds an unjoined thread; kRunnerNoMemory when the start block cannot
// be had; kRunnerThreadStartFailed when the system refuses the thread. After
// a failure the parameter is still the caller's to free.
uint32_t startThread(ThreadRoutine routine, void* parameter, ThreadRecord* record);

// Waits without limit for the recorded thread to end and empties the record.
// 0, also when no thread was recorded; otherwise the system's error code.
uint32_t joinThread(ThreadRecord* record);
