// Times the whole `setup -showcommand` process on an emulated machine with
// 16 copies of the product family, next to the start of a trivial program
// built the same way, in turn, and reports the ratio of the medians. The
// machine is shared and noisy, so only the ratio is worth quoting.
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <string>
#include <vector>

#include "tests/machine_with_image.h"

namespace {

double median(std::vector<double> values) {
  std::sort(values.begin(), values.end());
  return values[values.size() / 2];
}

}  // namespace

int main(int argc, char** argv) {
  int rounds = argc > 1 ? std::max(1, std::atoi(argv[1])) : 30;
  MachineWithImage m;
  m.addDefaultAndFurtherCopies(1);
  m.commitRegistry();
  std::string trivial = emulated::TestMachine::testBinDir() + "/trivial_program";
  std::vector<std::string> args = {"/l", "C:\\temp\\drv.log", "/n", "COPY00", "-showcommand"};

  auto check = m.setup(args);
  if (check.exitCode != 0) {
    std::fprintf(stderr, "setup failed with %u: %s%s\n", check.exitCode, check.out.c_str(),
                 check.err.c_str());
    return 1;
  }

  std::vector<double> setupMs, trivialMs;
  for (int i = 0; i < rounds; ++i) {
    auto t0 = std::chrono::steady_clock::now();
    m.setup(args);
    auto t1 = std::chrono::steady_clock::now();
    m.machine().run(trivial, {});
    auto t2 = std::chrono::steady_clock::now();
    setupMs.push_back(std::chrono::duration<double, std::milli>(t1 - t0).count());
    trivialMs.push_back(std::chrono::duration<double, std::milli>(t2 - t1).count());
  }
  double s = median(setupMs), t = median(trivialMs);
  std::printf("setup -showcommand, 16 copies: median %.2f ms over %d runs\n", s, rounds);
  std::printf("trivial program:               median %.2f ms\n", t);
  std::printf("ratio setup/trivial: %.2f (target: at most 5)\n", s / t);
  return 0;
}
