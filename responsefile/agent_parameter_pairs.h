#pragma once

#include <cstdint>

class ResponseFile;

// Instance whose agent and FCM settings checkAgentParameterPairs compares.
constexpr int32_t kCheckDefaultInstancePrefix = 1;  // settings written "KV7.<setting>"
constexpr int32_t kCheckControlServerPrefix = 3;    // settings written "KV7CTLSV.<setting>"

// Marks the agent and FCM settings of one instance that contradict each other
// invalid, together with the setting they contradict, and sets the file's
// status to RspContentInvalid when it marks anything. Settings whose own
// state is not valid take no part. Any other mode does nothing.
void checkAgentParameterPairs(ResponseFile& file, int32_t mode);
