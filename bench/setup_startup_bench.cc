// Times the whole `setup -showcommand` process on an emulated machine with
// 16 copies of the product family, next to /bin/true and to a trivial
// program built the same way, all started the same way and in turn. The
// machine is shared and noisy, so only ratios are worth quoting: each round's
// ratio is taken, and the median of those is reported, for wall time and for
// the CPU time the processes used. Then counts the host stat calls of one run
// (with strace, when it is installed): they are what the emulated path
// namespace costs.
#include <fcntl.h>
#include <sys/resource.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "tests/machine_with_image.h"

namespace {

double median(std::vector<double> values) {
  std::sort(values.begin(), values.end());
  return values[values.size() / 2];
}

// The CPU time that the processes this one waited for used so far.
double childrenCpuMs() {
  rusage usage{};
  getrusage(RUSAGE_CHILDREN, &usage);
  auto ms = [](const timeval& t) { return t.tv_sec * 1e3 + t.tv_usec / 1e3; };
  return ms(usage.ru_utime) + ms(usage.ru_stime);
}

struct Timing {
  double wallMs = 0;
  double cpuMs = 0;
};

template <class Run>
Timing timed(Run&& run) {
  const double cpu = childrenCpuMs();
  const auto start = std::chrono::steady_clock::now();
  run();
  const auto end = std::chrono::steady_clock::now();
  return {std::chrono::duration<double, std::milli>(end - start).count(), childrenCpuMs() - cpu};
}

// The first executable of that name on PATH; empty when there is none.
std::string onPath(const std::string& name) {
  const char* path = std::getenv("PATH");
  std::stringstream dirs(path ? path : "");
  std::string dir;
  while (std::getline(dirs, dir, ':')) {
    std::string candidate = (dir.empty() ? "." : dir) + "/" + name;
    if (::access(candidate.c_str(), X_OK) == 0) return candidate;
  }
  return "";
}

// The calls strace counted in its summary table (the "total" row); -1 when
// the summary cannot be read.
long totalCalls(const std::string& summaryFile) {
  std::ifstream in(summaryFile);
  std::string line;
  while (std::getline(in, line)) {
    std::istringstream words(line);
    std::vector<std::string> columns;
    for (std::string w; words >> w;) columns.push_back(w);
    // "100.00  0.000123  1  4988  12  total": calls is the fourth column,
    // errors (when any) the fifth.
    if (columns.size() >= 4 && columns.back() == "total") return std::atol(columns[3].c_str());
  }
  return -1;
}

}  // namespace

int main(int argc, char** argv) {
  int rounds = argc > 1 ? std::max(1, std::atoi(argv[1])) : 60;
  MachineWithImage m;
  m.addDefaultAndFurtherCopies(1);
  m.commitRegistry();
  const std::string trivial = emulated::TestMachine::testBinDir() + "/trivial_program";
  const std::string yardstick = "/bin/true";
  std::vector<std::string> args = {"/l", "C:\\temp\\drv.log", "/n", "COPY00", "-showcommand"};

  auto check = m.setup(args);
  if (check.exitCode != 0) {
    std::fprintf(stderr, "setup failed with %u: %s%s\n", check.exitCode, check.out.c_str(),
                 check.err.c_str());
    return 1;
  }

  // The yardsticks hand the emulated machine no exit code, which it notes on
  // standard error each time; the notes would bury the figures.
  std::fflush(stderr);
  const int savedStderr = ::dup(2);
  const int devNull = ::open("/dev/null", O_WRONLY);
  if (devNull >= 0) ::dup2(devNull, 2);
  std::vector<double> setupMs, trueMs, trivialMs, wallRatios, cpuRatios, trivialRatios;
  for (int i = 0; i < rounds; ++i) {
    const Timing setup = timed([&] { m.setup(args); });
    const Timing yes = timed([&] { m.machine().run(yardstick, {}); });
    const Timing small = timed([&] { m.machine().run(trivial, {}); });
    setupMs.push_back(setup.wallMs);
    trueMs.push_back(yes.wallMs);
    trivialMs.push_back(small.wallMs);
    wallRatios.push_back(setup.wallMs / yes.wallMs);
    trivialRatios.push_back(setup.wallMs / small.wallMs);
    if (yes.cpuMs > 0) cpuRatios.push_back(setup.cpuMs / yes.cpuMs);
  }
  if (savedStderr >= 0) {
    ::dup2(savedStderr, 2);
    ::close(savedStderr);
  }
  if (devNull >= 0) ::close(devNull);
  std::printf("setup -showcommand, 16 copies: median %.2f ms over %d rounds\n", median(setupMs),
              rounds);
  std::printf("/bin/true:                     median %.2f ms\n", median(trueMs));
  std::printf("trivial program:               median %.2f ms\n", median(trivialMs));
  std::printf("ratio setup//bin/true: %.2f wall (goal: at most 4, aim 3)", median(wallRatios));
  if (!cpuRatios.empty()) std::printf(", %.2f cpu", median(cpuRatios));
  std::printf("\nratio setup/trivial:   %.2f wall\n", median(trivialRatios));

  const std::string strace = onPath("strace");
  if (strace.empty()) {
    std::printf("host stat calls of one run: not counted (strace is not installed)\n");
    return 0;
  }
  const std::string summary = m.machine().dir() + "/stat-calls.txt";
  std::vector<std::string> traced = {
      "-f",
      "-c",
      "-e",
      "trace=%%stat",
      "-o",
      summary,
      m.machine().hostPath(std::string(MachineWithImage::kImageDir) + "setup")};
  traced.insert(traced.end(), args.begin(), args.end());
  m.machine().run(strace, traced);
  std::printf("host stat calls of one run: %ld (goal: under 500)\n", totalCalls(summary));
  return 0;
}
