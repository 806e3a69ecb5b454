#pragma once

// For tests: a program started on a test machine without waiting for it, so
// that a test can hold it at a point, run another program meanwhile, stop it
// with a signal, or wait for its end.

#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <string>
#include <thread>
#include <utility>
#include <vector>

extern char** environ;

namespace msiexec_testing {

class BackgroundProgram {
 public:
  // Runs program with args; env entries are added to (or replace) this
  // process's environment. Its output goes to /dev/null.
  BackgroundProgram(const std::string& program, const std::vector<std::string>& args,
                    const std::vector<std::pair<std::string, std::string>>& env) {
    std::vector<std::string> envTexts;
    for (char** e = environ; *e != nullptr; ++e) {
      const std::string entry = *e;
      bool replaced = false;
      for (const auto& [name, value] : env) replaced |= entry.rfind(name + "=", 0) == 0;
      if (!replaced) envTexts.push_back(entry);
    }
    for (const auto& [name, value] : env) envTexts.push_back(name + "=" + value);
    std::vector<std::string> argTexts = {program};
    argTexts.insert(argTexts.end(), args.begin(), args.end());
    std::vector<char*> argv, envp;
    for (std::string& a : argTexts) argv.push_back(a.data());
    argv.push_back(nullptr);
    for (std::string& e : envTexts) envp.push_back(e.data());
    envp.push_back(nullptr);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
    posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
    posix_spawn_file_actions_addopen(&actions, 2, "/dev/null", O_WRONLY, 0);
    if (::posix_spawn(&pid_, program.c_str(), &actions, nullptr, argv.data(), envp.data()) != 0) {
      pid_ = -1;
    }
    posix_spawn_file_actions_destroy(&actions);
  }

  ~BackgroundProgram() {
    if (pid_ > 0 && !ended_) {
      ::kill(pid_, SIGKILL);
      wait();
    }
  }

  BackgroundProgram(const BackgroundProgram&) = delete;
  BackgroundProgram& operator=(const BackgroundProgram&) = delete;

  bool started() const { return pid_ > 0; }

  void kill() {
    if (pid_ > 0 && !ended_) ::kill(pid_, SIGKILL);
  }

  // The raw wait status.
  int wait() {
    if (pid_ <= 0) return -1;
    if (!ended_) {
      while (::waitpid(pid_, &status_, 0) < 0 && errno == EINTR) {
      }
      ended_ = true;
    }
    return status_;
  }

 private:
  pid_t pid_ = -1;
  bool ended_ = false;
  int status_ = 0;
};

// Waits until a file exists; false after the time limit.
inline bool waitForFile(const std::string& hostPath, std::chrono::seconds limit) {
  const auto deadline = std::chrono::steady_clock::now() + limit;
  while (::access(hostPath.c_str(), F_OK) != 0) {
    if (std::chrono::steady_clock::now() > deadline) return false;
    std::this_thread::sleep_for(std::chrono::milliseconds(5));
  }
  return true;
}

}  // namespace msiexec_testing
