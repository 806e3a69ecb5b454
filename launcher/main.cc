#include <cstdint>

#include "launcher/run_sequence.h"
#include "platform/platform.h"

int main(int argc, char** argv) {
  uint32_t rc = platform::startProgram(argc, argv);
  if (rc) return platform::finishProgram(rc);
  return platform::finishProgram(runLauncher(argc, argv));
}
