#pragma once

#include <cstdint>
#include <string>

// The summary information stream of a transform (a property set of the
// summary-information format): what Windows Installer reads to decide
// whether, and how strictly, the transform applies.
namespace transform_writer {

struct TransformSummary {
  uint16_t codePage = 1252;         // of the texts below
  std::string basePlatform;         // "x64;1033": the package it applies to
  std::string transformedPlatform;  // "x64;1031": what it makes of it
  std::string revision;             // "{code}version;{code}version;{upgrade code}"
  int32_t installerVersion = 200;   // the least installer that applies it
  // Validation flags (high word) and suppressed errors (low word). Wine 8.0
  // reads the validation flags from the low word, so only 0 means the same
  // to both: no validation, and every conflict fails the transform.
  uint32_t flags = 0;
};

// The bytes of the "\005SummaryInformation" stream; texts must be ASCII.
std::string encodeSummaryInformation(const TransformSummary& summary);

}  // namespace transform_writer
