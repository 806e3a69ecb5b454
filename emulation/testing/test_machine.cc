#include "emulation/testing/test_machine.h"

#include <fcntl.h>
#include <poll.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <cerrno>
#include <climits>
#include <csignal>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <sstream>

#include "emulation/machine/exit_code_channel.h"
#include "emulation/machine/host_files.h"
#include "emulation/machine/host_listings.h"
#include "emulation/machine/machine.h"
#include "emulation/machine/machine_state.h"

extern char** environ;

namespace emulated {
namespace {

std::string parentOf(const std::string& path) {
  const std::size_t slash = path.find_last_of('/');
  return slash == std::string::npos || slash == 0 ? "/" : path.substr(0, slash);
}

bool hasHeader(std::string_view text) {
  if (text.substr(0, 3) == "\xEF\xBB\xBF") text.remove_prefix(3);
  return text.substr(0, 36) == "Windows Registry Editor Version 5.00" ||
         text.substr(0, 8) == "REGEDIT4";
}

void writeWhole(const std::string& path, std::string_view content) {
  const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
  forgetHostListings();  // the test process resolves paths on the machine too
  ASSERT_GE(fd, 0) << path << ": " << std::strerror(errno);
  std::size_t done = 0;
  while (done < content.size()) {
    const ssize_t n = ::write(fd, content.data() + done, content.size() - done);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) break;
    done += static_cast<std::size_t>(n);
  }
  ::close(fd);
  EXPECT_EQ(done, content.size()) << path;
}

// The child's environment: the parent's, with the given variables replaced.
std::vector<std::string> childEnvironment(
    const std::vector<std::pair<std::string, std::string>>& set) {
  std::vector<std::string> env;
  for (char** e = environ; *e != nullptr; ++e) {
    const std::string entry = *e;
    const std::string name = entry.substr(0, entry.find('='));
    bool replaced = false;
    for (const auto& [key, value] : set) replaced = replaced || key == name;
    if (!replaced) env.push_back(entry);
  }
  for (const auto& [key, value] : set) env.push_back(key + "=" + value);
  return env;
}

}  // namespace

TestMachine::TestMachine() {
  const char* tmp = std::getenv("TMPDIR");
  std::string pattern =
      std::string(tmp != nullptr && *tmp != '\0' ? tmp : "/tmp") + "/kv7-machine-XXXXXX";
  if (::mkdtemp(pattern.data()) == nullptr) {
    ADD_FAILURE() << "cannot create a test machine: " << std::strerror(errno);
    return;
  }
  dir_ = pattern;
  if (const char* previous = std::getenv("KV7_MACHINE")) {
    hadMachineVariable_ = true;
    previousMachineVariable_ = previous;
  }
  ::setenv("KV7_MACHINE", dir_.c_str(), 1);
  std::string error;
  if (!useMachine(dir_, &error)) ADD_FAILURE() << "cannot use the test machine: " << error;
}

TestMachine::~TestMachine() {
  if (!dir_.empty()) removeHostTree(dir_);
  if (hadMachineVariable_) {
    ::setenv("KV7_MACHINE", previousMachineVariable_.c_str(), 1);
  } else {
    ::unsetenv("KV7_MACHINE");
  }
  forgetMachine();
}

void TestMachine::reload() {
  std::string error;
  useMachine(dir_, &error);  // a malformed registry is what some tests want
}

void TestMachine::writeRegistry(std::string_view regText) {
  std::string text(regText);
  if (!hasHeader(text)) text = "Windows Registry Editor Version 5.00\r\n" + text;
  writeRegistryBytes(text);
}

void TestMachine::writeRegistryBytes(std::string_view rawBytes) {
  writeWhole(dir_ + "/system.reg", rawBytes);
  reload();
}

void TestMachine::writeFile(std::string_view windowsPath, std::string_view content) {
  const std::string host = hostPath(windowsPath);
  ASSERT_FALSE(host.empty()) << "not a path of the machine: " << windowsPath;
  makeHostDirectories(parentOf(host));
  writeWhole(host, content);
}

void TestMachine::makeDirectory(std::string_view windowsPath) {
  const std::string host = hostPath(windowsPath);
  EXPECT_TRUE(makeHostDirectories(host)) << "cannot create " << windowsPath;
}

void TestMachine::makeShare(std::string_view server, std::string_view share) {
  const std::string host = dir_ + "/unc/" + std::string(server) + "/" + std::string(share);
  EXPECT_TRUE(makeHostDirectories(host)) << "cannot create " << host;
}

void TestMachine::removePath(std::string_view windowsPath) {
  const std::string host = hostPath(windowsPath);
  EXPECT_TRUE(removeHostTree(host)) << "cannot remove " << windowsPath;
}

std::string TestMachine::hostPath(std::string_view windowsPath) const {
  return toHostPath(windowsPath);
}

std::string TestMachine::readFile(std::string_view windowsPath) const {
  std::string content;
  if (!readHostFile(hostPath(windowsPath), &content, nullptr)) return "";
  return content;
}

TestMachine::ProgramRun TestMachine::run(
    const std::string& hostProgram, const std::vector<std::string>& args,
    const std::vector<std::pair<std::string, std::string>>& env, const std::string& input) const {
  ProgramRun result;
  // Input the program does not read must not end this process.
  std::signal(SIGPIPE, SIG_IGN);
  ExitCodeChannel channel;
  const std::string channelEntry = channel.environmentEntry();
  const std::size_t equals = channelEntry.find('=');
  std::vector<std::pair<std::string, std::string>> variables = {
      {"KV7_MACHINE", dir_}, {channelEntry.substr(0, equals), channelEntry.substr(equals + 1)}};
  for (const auto& [name, value] : env) {
    bool replaced = false;
    for (auto& variable : variables) {
      if (variable.first == name) {
        variable.second = value;
        replaced = true;
      }
    }
    if (!replaced) variables.emplace_back(name, value);
  }
  std::vector<std::string> envTexts = childEnvironment(variables);
  std::vector<std::string> argTexts = {hostProgram};
  argTexts.insert(argTexts.end(), args.begin(), args.end());

  int outPipe[2], errPipe[2], inPipe[2] = {-1, -1};
  if (::pipe2(outPipe, O_CLOEXEC) != 0 || ::pipe2(errPipe, O_CLOEXEC) != 0 ||
      (!input.empty() && ::pipe2(inPipe, O_CLOEXEC) != 0)) {
    ADD_FAILURE() << "cannot create pipes: " << std::strerror(errno);
    return result;
  }
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  if (input.empty()) {
    posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
  } else {
    posix_spawn_file_actions_adddup2(&actions, inPipe[0], 0);
  }
  posix_spawn_file_actions_adddup2(&actions, outPipe[1], 1);
  posix_spawn_file_actions_adddup2(&actions, errPipe[1], 2);
  // Last, and from a copy above it, so that no other step takes its place.
  const int codeEnd = ::fcntl(channel.writeEnd(), F_DUPFD_CLOEXEC, kExitCodeDescriptor + 1);
  posix_spawn_file_actions_adddup2(&actions, codeEnd, kExitCodeDescriptor);
  // The program starts with the signals at their defaults, whatever this
  // process ignores or blocks.
  posix_spawnattr_t attributes;
  posix_spawnattr_init(&attributes);
  sigset_t signals;
  sigemptyset(&signals);
  posix_spawnattr_setsigmask(&attributes, &signals);
  sigaddset(&signals, SIGPIPE);
  posix_spawnattr_setsigdefault(&attributes, &signals);
  posix_spawnattr_setflags(&attributes, POSIX_SPAWN_SETSIGMASK | POSIX_SPAWN_SETSIGDEF);
  pid_t pid = 0;
  std::vector<char*> argv = cStringArray(argTexts);
  std::vector<char*> envp = cStringArray(envTexts);
  const int spawned =
      ::posix_spawn(&pid, hostProgram.c_str(), &actions, &attributes, argv.data(), envp.data());
  posix_spawn_file_actions_destroy(&actions);
  posix_spawnattr_destroy(&attributes);
  ::close(codeEnd);
  channel.closeWriteEnd();
  ::close(outPipe[1]);
  ::close(errPipe[1]);
  if (inPipe[0] >= 0) ::close(inPipe[0]);
  if (spawned != 0) {
    ADD_FAILURE() << "cannot run " << hostProgram << ": " << std::strerror(spawned);
    ::close(outPipe[0]);
    ::close(errPipe[0]);
    if (inPipe[1] >= 0) ::close(inPipe[1]);
    result.exitCode = UINT32_MAX;
    return result;
  }

  // Feed the input and drain both outputs together, so that no pipe fills.
  std::size_t fed = 0;
  int inFd = inPipe[1];
  if (inFd >= 0) ::fcntl(inFd, F_SETFL, O_NONBLOCK);
  bool outOpen = true, errOpen = true;
  while (outOpen || errOpen) {
    pollfd fds[3];
    nfds_t count = 0;
    if (outOpen) fds[count++] = {outPipe[0], POLLIN, 0};
    if (errOpen) fds[count++] = {errPipe[0], POLLIN, 0};
    if (inFd >= 0) fds[count++] = {inFd, POLLOUT, 0};
    if (::poll(fds, count, -1) < 0) {
      if (errno == EINTR) continue;
      break;
    }
    for (nfds_t i = 0; i < count; ++i) {
      if (fds[i].revents == 0) continue;
      if (fds[i].fd == inFd) {
        const ssize_t n = ::write(inFd, input.data() + fed, input.size() - fed);
        if (n > 0) fed += static_cast<std::size_t>(n);
        if ((n < 0 && errno != EAGAIN && errno != EINTR) || fed == input.size()) {
          ::close(inFd);
          inFd = -1;
        }
        continue;
      }
      char buffer[65536];
      const ssize_t n = ::read(fds[i].fd, buffer, sizeof buffer);
      if (n < 0 && (errno == EINTR || errno == EAGAIN)) continue;
      const bool isOut = fds[i].fd == outPipe[0];
      if (n <= 0) {
        (isOut ? outOpen : errOpen) = false;
      } else {
        (isOut ? result.out : result.err).append(buffer, static_cast<std::size_t>(n));
      }
    }
  }
  if (inFd >= 0) ::close(inFd);
  ::close(outPipe[0]);
  ::close(errPipe[0]);
  int status = 0;
  while (::waitpid(pid, &status, 0) < 0 && errno == EINTR) {
  }
  result.exitCode = channel.collect(status, true, hostProgram);
  forgetHostListings();  // what the program changed is seen from now on
  return result;
}

std::string TestMachine::testBinDir() {
  const char* dir = std::getenv("KV7_TEST_BIN_DIR");
  if (dir != nullptr && *dir != '\0') return dir;
  char exe[PATH_MAX];
  const ssize_t n = ::readlink("/proc/self/exe", exe, sizeof exe - 1);
  if (n <= 0) return ".";
  return parentOf(std::string(exe, static_cast<std::size_t>(n)));
}

std::string TestMachine::imageDir() {
  const char* dir = std::getenv("KV7_IMAGE_DIR");
  if (dir != nullptr && *dir != '\0') return dir;
  return testBinDir() + "/../image";
}

std::string readHost(const std::string& hostPath) {
  std::ifstream in(hostPath, std::ios::binary);
  std::stringstream content;
  content << in.rdbuf();
  return content.str();
}

}  // namespace emulated
