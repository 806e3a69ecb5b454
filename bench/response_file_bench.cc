// Loading speed of the response-file reader: files of 10 thousand, 100
// thousand and 1 million lines, with known, qualified, unknown and repeated
// keywords, block and instance names and comments. Prints lines per second,
// the ratio of the load time to merely reading the file and splitting it into
// lines, and how the load time grows with the file.
//
// Then, on the file of a million lines, the whole rspcheck process against
// `cut -d= -f1` on the same file (both writing to /dev/null, started in turn),
// and rspcheck's peak memory against the file's size.
//
// Usage: response_file_bench [directory for the generated files]

#include <fcntl.h>
#include <spawn.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "platform/platform.h"
#include "responsefile/response_file.h"

extern char** environ;

namespace {

using Clock = std::chrono::steady_clock;

// One line of the generated file; the mix repeats every 20 lines.
std::string lineAt(long i) {
  long block = i / 20;
  switch (i % 20) {
    case 0:
      return "* block " + std::to_string(block) + " of the generated file\n";
    case 1:
      return "INSTANCE = I" + std::to_string(block % 50000) + "\n";
    case 2:
      return "DATABASE = DB" + std::to_string(block % 50000) + "\n";
    case 3:
      return "I" + std::to_string(block % 50000) + ".MAXAGENTS = " + std::to_string(i % 64000) +
             "\n";
    case 4:
      return "DB" + std::to_string(block % 50000) + ".ALIAS = A" + std::to_string(block % 997) +
             "\n";
    case 5:
      return "KV7.DIAGLEVEL = " + std::to_string(i % 5) + "   ## trailing comment\n";
    case 6:
      return "PROD = QOR_TELVAR_DRIVER\n";
    case 7:
      return "COMP = component_" + std::to_string(i) + "\n";
    case 8:
      return "INSTALL_TYPE = " + std::string(i % 40 == 8 ? "TYPICAL" : "CUSTOM") + "\n";
    case 9:
      return "LANG = " + std::string(i % 3 ? "en" : "De") + "\n";
    case 10:
      return "UNKNOWN_KEYWORD_" + std::to_string(i % 1000) + " = x\n";
    case 11:
      return "NOT A KEYWORD " + std::to_string(i) + " = y\n";
    case 12:
      return "KV7_DOCPORT = " + std::to_string(1000 + i % 70000) + "\n";
    case 13:
      return "FILE = C:\\Program Files\\QOR\\driver " + std::to_string(block % 100) + "\n";
    case 14:
      return "KAS_CONTACT_LIST_USERNAME = user" + std::to_string(i % 500) + "\n";
    case 15:
      return "KV7ATLD_PORTS = " + std::to_string(i % 100) + ":" + std::to_string(i % 100 + 5) +
             "\n";
    case 16:
      return "ADAPTER_NUMBER = 1,2," + std::to_string(i % 300) + "\n";
    case 17:
      return "\n";
    case 18:
      return "DB" + std::to_string(block % 50000) + ".AUTHENTICATION = SERVER\n";
    default:
      return "COPY_NAME = KV7COPY" + std::to_string(i % 7) + "\n";
  }
}

std::string generate(const std::string& path, long lines) {
  std::FILE* out = std::fopen(path.c_str(), "wb");
  if (out == nullptr) return "cannot create " + path;
  std::fputs("DEFAULT_INSTANCE = KV7\nCTLSRV_INSTANCE = KV7CTLSV\n", out);
  for (long i = 2; i < lines; ++i) std::fputs(lineAt(i).c_str(), out);
  std::fclose(out);
  return "";
}

// The cheapest way to see the lines: read the file in blocks and find the
// newlines.
long readAndSplit(const std::string& path) {
  std::FILE* in = std::fopen(path.c_str(), "rb");
  if (in == nullptr) return -1;
  std::vector<char> block(1 << 16);
  long lines = 0;
  std::size_t got = 0;
  while ((got = std::fread(block.data(), 1, block.size(), in)) > 0) {
    const char* p = block.data();
    const char* end = p + got;
    while ((p = static_cast<const char*>(std::memchr(p, '\n', end - p))) != nullptr) {
      ++lines;
      ++p;
    }
  }
  std::fclose(in);
  return lines;
}

template <class F>
double bestSeconds(int runs, F&& work) {
  double best = 1e30;
  for (int r = 0; r < runs; ++r) {
    auto start = Clock::now();
    work();
    best = std::min(best, std::chrono::duration<double>(Clock::now() - start).count());
  }
  return best;
}

double median(std::vector<double> values) {
  std::sort(values.begin(), values.end());
  return values[values.size() / 2];
}

// One run of a whole process with its output thrown away.
struct ProcessRun {
  bool ok = false;
  double wallSeconds = 0;
  double peakMiB = 0;
};

ProcessRun runProcess(const std::vector<std::string>& args) {
  ProcessRun run;
  std::vector<char*> argv;
  for (const std::string& arg : args) argv.push_back(const_cast<char*>(arg.c_str()));
  argv.push_back(nullptr);
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
  posix_spawn_file_actions_addopen(&actions, 2, "/dev/null", O_WRONLY, 0);
  auto start = Clock::now();
  pid_t pid = 0;
  int spawned = posix_spawnp(&pid, argv[0], &actions, nullptr, argv.data(), environ);
  posix_spawn_file_actions_destroy(&actions);
  if (spawned != 0) return run;
  int status = 0;
  rusage usage{};
  if (wait4(pid, &status, 0, &usage) != pid) return run;
  run.wallSeconds = std::chrono::duration<double>(Clock::now() - start).count();
  run.peakMiB = usage.ru_maxrss / 1024.0;
  run.ok = WIFEXITED(status);
  return run;
}

// rspcheck against cut on the same file, in turn.
int compareWithCut(const std::string& dir, const std::string& path) {
  // rspcheck runs on a throwaway machine of its own.
  std::string machine = dir + "/kv7_bench_machine_XXXXXX";
  if (mkdtemp(machine.data()) == nullptr) {
    std::fprintf(stderr, "cannot create a machine directory in %s\n", dir.c_str());
    return 1;
  }
  setenv("KV7_MACHINE", machine.c_str(), 1);
  const std::vector<std::string> rspcheck = {KV7_RSPCHECK, "Z:" + path};
  const std::vector<std::string> cut = {"cut", "-d=", "-f1", path};
  constexpr int kRuns = 5;
  std::vector<double> rspcheckSeconds, cutSeconds;
  double peakMiB = 0;
  for (int r = 0; r <= kRuns; ++r) {
    ProcessRun checked = runProcess(rspcheck);
    ProcessRun split = runProcess(cut);
    if (!checked.ok || !split.ok) {
      std::fprintf(stderr, "rspcheck or cut did not run to its end\n");
      return 1;
    }
    if (r == 0) continue;  // the first pair warms the caches
    rspcheckSeconds.push_back(checked.wallSeconds);
    cutSeconds.push_back(split.wallSeconds);
    peakMiB = std::max(peakMiB, checked.peakMiB);
  }
  struct stat st {};
  stat(path.c_str(), &st);
  const double fileMiB = st.st_size / (1024.0 * 1024.0);
  const double checkMs = median(rspcheckSeconds) * 1e3;
  const double cutMs = median(cutSeconds) * 1e3;
  std::printf("\nrspcheck on the file of a million lines (%.1f MiB), medians of %d runs:\n",
              fileMiB, kRuns);
  std::printf("  rspcheck %.1f ms, cut -d= -f1 %.1f ms: ratio %.2f (goal: at most 8, aim 5)\n",
              checkMs, cutMs, checkMs / cutMs);
  std::printf(
      "  rspcheck peak memory %.1f MiB, %.2f times the file (goal: at most 60 MiB, 3 times)\n",
      peakMiB, peakMiB / fileMiB);
  std::string removeMachine = "rm -rf '" + machine + "'";
  return std::system(removeMachine.c_str()) == 0 ? 0 : 1;
}

}  // namespace

int main(int argc, char** argv) {
  std::string dir = argc > 1 ? argv[1] : "/tmp";
  const long sizes[] = {10000, 100000, 1000000};
  double previous = 0;
  int result = 0;
  std::printf("%10s %10s %10s %14s %12s %10s %8s %10s\n", "lines", "entries", "load ms", "lines/s",
              "read ms", "load/read", "status", "growth");
  for (long lines : sizes) {
    std::string path = dir + "/kv7_bench_" + std::to_string(lines) + ".rsp";
    std::string error = generate(path, lines);
    if (!error.empty()) {
      std::fprintf(stderr, "%s\n", error.c_str());
      return 1;
    }
    const int runs = 5;
    long counted = 0;
    double read = bestSeconds(runs, [&] { counted = readAndSplit(path); });
    int32_t entries = 0;
    int32_t status = 0;
    // Opened as setup and rspcheck open it: by Windows path, in text mode.
    const std::string windowsPath = "Z:" + path;
    double load = bestSeconds(runs, [&] {
      ResponseFile file(windowsPath.c_str());
      entries = file.entryCount();
      status = file.status();
    });
    std::printf("%10ld %10d %10.1f %14.0f %12.1f %10.1f %8d %10s\n", counted, entries, load * 1e3,
                counted / load, read * 1e3, load / read, status,
                previous > 0 ? (std::to_string(load / previous).substr(0, 5) + "x").c_str() : "-");
    previous = load;
    if (lines == sizes[std::size(sizes) - 1]) result = compareWithCut(dir, path);
    std::remove(path.c_str());
  }
  return result;
}
