// Child processes: a Windows command line runs as a host program on the same
// machine, with the given standard output and error.
#include <fcntl.h>
#include <spawn.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <csignal>
#include <string>
#include <vector>

#include "base/ascii.h"
#include "base/fixed_text.h"
#include "emulation/machine/child_process.h"
#include "emulation/machine/exit_code_channel.h"
#include "emulation/machine/handle_table.h"
#include "emulation/machine/host_files.h"
#include "emulation/machine/host_listings.h"
#include "emulation/machine/last_error.h"
#include "emulation/machine/machine.h"
#include "emulation/machine/named_mutex.h"
#include "emulation/machine/path_namespace.h"
#include "emulation/machine/program_arguments.h"
#include "emulation/machine/refused_names.h"
#include "platform/platform.h"

extern char** environ;

namespace platform {
namespace {

bool fail(uint32_t code) {
  emulated::setLastError(code);
  return false;
}

bool isExecutableFile(const std::string& host) {
  struct stat st;
  return !host.empty() && ::stat(host.c_str(), &st) == 0 && S_ISREG(st.st_mode) &&
         ::access(host.c_str(), X_OK) == 0;
}

// The host file of a program named by a Windows path. Host programs carry no
// ".exe": "x.exe" is also found as "x", and "x" as "x.exe".
std::string hostProgramFile(const std::string& windowsPath) {
  const std::string host = emulated::toHostPath(windowsPath);
  if (isExecutableFile(host)) return host;
  const std::size_t nameStart = windowsPath.find_last_of("\\/:") + 1;
  const std::string name = windowsPath.substr(nameStart);
  std::string other;
  if (name.size() > 4 && ascii::equalsNoCase(name.substr(name.size() - 4), ".exe")) {
    other = windowsPath.substr(0, windowsPath.size() - 4);
  } else if (name.find('.') == std::string::npos) {
    other = windowsPath + ".exe";
  }
  if (!other.empty()) {
    const std::string otherHost = emulated::toHostPath(other);
    if (isExecutableFile(otherHost)) return otherHost;
  }
  return "";
}

// A bare program name is looked for where Windows looks: beside the running
// program, in the current directory, then in the system directories.
std::string findProgram(const std::string& program) {
  if (program.find_first_of("\\/:") != std::string::npos) return hostProgramFile(program);
  char module[kPathCapacity];
  const uint32_t length = getModuleFileName(module, sizeof module);
  std::vector<std::string> dirs;
  if (length > 0 && length < sizeof module) {
    const std::string self(module, length);
    dirs.push_back(self.substr(0, self.find_last_of('\\') + 1));
  }
  dirs.insert(dirs.end(), {".\\", "C:\\Windows\\system32\\", "C:\\Windows\\"});
  for (const std::string& dir : dirs) {
    const std::string host = hostProgramFile(dir + program);
    if (!host.empty()) return host;
  }
  return "";
}

// The descriptor a child gets for a standard handle: the handle's own, or
// -1 for none (the child then gets /dev/null).
bool descriptorOf(Handle handle, int* fd) {
  *fd = -1;
  if (handle == nullptr) return true;
  const auto file = emulated::findHandleOf<emulated::FileObject>(handle);
  if (file == nullptr) return false;
  *fd = file->fd();
  return true;
}

std::vector<std::string> childEnvironment(const emulated::ExitCodeChannel& channel,
                                          const std::string& commandLine) {
  const std::string commandLineEntry = std::string(emulated::kCommandLineVariable) + "=";
  std::vector<std::string> env;
  for (char** e = environ; *e != nullptr; ++e) {
    const std::string entry = *e;
    // The exit-code file is this process's own (a shell asked for it); the
    // child hands its code over through its channel.
    if (entry.rfind("KV7_EXIT_CODE_FILE=", 0) == 0 || entry.rfind("KV7_EXIT_CODE_FD=", 0) == 0 ||
        entry.rfind("KV7_MACHINE=", 0) == 0 || entry.rfind(commandLineEntry, 0) == 0) {
      continue;
    }
    env.push_back(entry);
  }
  // The child runs on this process's machine, however this process chose it.
  env.push_back("KV7_MACHINE=" + emulated::machineDirectory());
  env.push_back(channel.environmentEntry());
  env.push_back(commandLineEntry + commandLine);
  return env;
}

// Spawns the child. Between fork and exec only posix_spawn's own steps run:
// the caller's reader threads may hold any lock meanwhile.
int spawn(pid_t* pid, const std::string& program, std::vector<std::string>& args,
          std::vector<std::string>& env, const std::string& dir, int outFd, int errFd,
          int exitCodeFd) {
  // Copies above the descriptors the child gets, so that the dup2 steps
  // cannot overwrite one another.
  constexpr int kFirstFree = emulated::kExitCodeDescriptor + 1;
  const int out = outFd >= 0 ? ::fcntl(outFd, F_DUPFD_CLOEXEC, kFirstFree) : -1;
  const int err = errFd >= 0 ? ::fcntl(errFd, F_DUPFD_CLOEXEC, kFirstFree) : -1;
  const int code = ::fcntl(exitCodeFd, F_DUPFD_CLOEXEC, kFirstFree);
  if ((outFd >= 0 && out < 0) || (errFd >= 0 && err < 0) || code < 0) {
    for (int copy : {out, err, code}) {
      if (copy >= 0) ::close(copy);
    }
    return ENOMEM;
  }
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
  if (out >= 0) {
    posix_spawn_file_actions_adddup2(&actions, out, 1);
  } else {
    posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
  }
  if (err >= 0) {
    posix_spawn_file_actions_adddup2(&actions, err, 2);
  } else {
    posix_spawn_file_actions_addopen(&actions, 2, "/dev/null", O_WRONLY, 0);
  }
  posix_spawn_file_actions_adddup2(&actions, code, emulated::kExitCodeDescriptor);
  if (!dir.empty()) posix_spawn_file_actions_addchdir_np(&actions, dir.c_str());
  posix_spawnattr_t attributes;
  posix_spawnattr_init(&attributes);
  // No signal is blocked in the child. SIGPIPE stays ignored, as this
  // process has it: a Windows program that writes into a pipe nobody reads
  // gets a write error, never the end of its life.
  sigset_t signals;
  sigemptyset(&signals);
  posix_spawnattr_setsigmask(&attributes, &signals);
  posix_spawnattr_setflags(&attributes, POSIX_SPAWN_SETSIGMASK);
  std::vector<char*> argv = emulated::cStringArray(args);
  std::vector<char*> envp = emulated::cStringArray(env);
  const int result =
      ::posix_spawn(pid, program.c_str(), &actions, &attributes, argv.data(), envp.data());
  posix_spawnattr_destroy(&attributes);
  posix_spawn_file_actions_destroy(&actions);
  if (out >= 0) ::close(out);
  if (err >= 0) ::close(err);
  if (code >= 0) ::close(code);
  return result;
}

}  // namespace

bool createProcess(const char* commandLine, const char* workingDir, Handle stdOutput,
                   Handle stdError, ProcessInfo* info) {
  if (commandLine == nullptr || info == nullptr) return fail(kErrorInvalidParameter);
  const emulated::CommandLine parsed = emulated::splitCommandLine(commandLine);
  if (parsed.program.empty()) return fail(kErrorFileNotFound);
  const std::string program = findProgram(parsed.program);
  if (program.empty()) return fail(kErrorFileNotFound);

  std::string dir;
  if (workingDir != nullptr) {
    dir = emulated::toHostPath(workingDir);
    struct stat st;
    if (dir.empty() || ::stat(dir.c_str(), &st) != 0 || !S_ISDIR(st.st_mode)) {
      return fail(emulated::kErrorNotADirectory);
    }
  }
  int outFd, errFd;
  if (!descriptorOf(stdOutput, &outFd) || !descriptorOf(stdError, &errFd)) {
    return fail(kErrorInvalidHandle);
  }

  // Ignored signals stay ignored across exec. Every program of the machine
  // ignores SIGPIPE from its start; a host program that starts children here
  // without that start (a test) does so now.
  std::signal(SIGPIPE, SIG_IGN);
  auto channel = std::make_unique<emulated::ExitCodeChannel>();
  if (!channel->ok()) return fail(kErrorNotEnoughMemory);
  std::vector<std::string> args = {program};
  args.insert(args.end(), parsed.arguments.begin(), parsed.arguments.end());
  std::vector<std::string> env = childEnvironment(*channel, commandLine);
  pid_t pid = 0;
  const int spawned = spawn(&pid, program, args, env, dir, outFd, errFd, channel->writeEnd());
  channel->closeWriteEnd();
  if (spawned != 0) return fail(spawned == ENOMEM ? kErrorNotEnoughMemory : kErrorFileNotFound);
  // The program may change the machine's files while it runs.
  emulated::forgetHostListings();
  const auto child = std::make_shared<emulated::ChildProcess>(pid, std::move(channel), program);
  info->process = emulated::addHandle(child);
  info->thread = emulated::addHandle(child);  // the main thread ends with the process
  info->processId = static_cast<uint32_t>(pid);
  info->threadId = static_cast<uint32_t>(pid);
  return true;
}

bool getExitCodeProcess(Handle process, uint32_t* exitCode) {
  if (exitCode == nullptr) return fail(kErrorInvalidParameter);
  const auto child = emulated::findHandleOf<emulated::ChildProcess>(process);
  if (child == nullptr) return fail(kErrorInvalidHandle);
  if (!child->poll(exitCode)) {
    *exitCode = kStillActive;
  } else {
    emulated::forgetHostListings();  // what it changed is seen from now on
  }
  return true;
}

uint32_t waitForSingleObject(Handle handle, uint32_t milliseconds) {
  const std::shared_ptr<emulated::KernelObject> object = emulated::findHandle(handle);
  if (const auto child = std::dynamic_pointer_cast<emulated::ChildProcess>(object)) {
    const uint32_t waited = child->wait(milliseconds);
    if (waited == 0) emulated::forgetHostListings();  // what it changed is seen from now on
    return waited;
  }
  if (const auto mutex = std::dynamic_pointer_cast<emulated::NamedMutex>(object)) {
    return mutex->acquire(milliseconds);
  }
  emulated::setLastError(kErrorInvalidHandle);
  return kWaitFailed;
}

}  // namespace platform
