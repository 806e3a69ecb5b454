#include <fcntl.h>
#include <gtest/gtest.h>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <csignal>
#include <string>
#include <thread>
#include <vector>

#include "emulation/machine/host_files.h"
#include "emulation/machine/machine.h"
#include "emulation/testing/test_machine.h"
#include "platform/platform.h"

namespace {

using emulated::TestMachine;

std::string probe() { return TestMachine::testBinDir() + "/emulated_probe"; }

// The probe as a Windows program: the host file under Z:, named with the
// ".exe" a Windows command names it by.
std::string probeCommand() { return "\"" + emulated::toWindowsPath(probe()) + ".exe\""; }

struct ChildRun {
  bool started = false;
  uint32_t exitCode = 0;
  std::string out;
  std::string err;
};

// Reads a pipe to its end on a thread of its own, as the process runner does.
std::thread drain(platform::Handle readEnd, std::string* text) {
  return std::thread([readEnd, text] {
    char buffer[512];
    uint32_t got = 0;
    while (platform::readFile(readEnd, buffer, sizeof buffer, &got) && got > 0) {
      text->append(buffer, got);
    }
  });
}

ChildRun runChild(const std::string& commandLine, const char* workingDir = nullptr) {
  ChildRun run;
  platform::Handle outRead, outWrite, errRead, errWrite;
  EXPECT_TRUE(platform::createPipe(&outRead, &outWrite));
  EXPECT_TRUE(platform::createPipe(&errRead, &errWrite));
  std::thread outReader = drain(outRead, &run.out);
  std::thread errReader = drain(errRead, &run.err);
  platform::ProcessInfo info;
  run.started = platform::createProcess(commandLine.c_str(), workingDir, outWrite, errWrite, &info);
  platform::closeHandle(outWrite);
  platform::closeHandle(errWrite);
  if (run.started) {
    EXPECT_EQ(platform::waitForSingleObject(info.process, platform::kInfinite), 0u);
    EXPECT_TRUE(platform::getExitCodeProcess(info.process, &run.exitCode));
    platform::closeHandle(info.process);
    platform::closeHandle(info.thread);
  }
  outReader.join();
  errReader.join();
  platform::closeHandle(outRead);
  platform::closeHandle(errRead);
  return run;
}

TEST(EmulatedProcess, AChildWithoutAnExitCodeGetsItsHostStatusAndTheParentSaysSo) {
  TestMachine machine;
  testing::internal::CaptureStderr();
  const ChildRun run = runChild("Z:\\bin\\sh -c \"exit 3\"");
  const std::string note = testing::internal::GetCapturedStderr();
  ASSERT_TRUE(run.started);
  EXPECT_EQ(run.exitCode, 3u);
  EXPECT_NE(note.find("got no exit code from /bin/sh; it ended with host exit status 3"),
            std::string::npos)
      << note;
}

// Runs the probe with "exit 3010" from the host, descriptor 3 and the
// environment as given; its status (-1 when it did not end within ten
// seconds, when it is killed) and its standard error.
struct HostRun {
  int status = -1;
  std::string err;
};
HostRun runProbeWithin(int descriptor3, const std::vector<std::string>& env) {
  HostRun result;
  char errFile[] = "/tmp/kv7-probe-err-XXXXXX";
  const int errFd = ::mkstemp(errFile);
  if (errFd < 0) return result;
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
  posix_spawn_file_actions_adddup2(&actions, errFd, 2);
  if (descriptor3 >= 0) posix_spawn_file_actions_adddup2(&actions, descriptor3, 3);
  std::vector<std::string> texts = {probe(), "exit", "3010"};
  std::vector<char*> argv = emulated::cStringArray(texts);
  std::vector<std::string> envTexts = env;
  envTexts.push_back("KV7_MACHINE=" + emulated::machineDirectory());
  std::vector<char*> envp = emulated::cStringArray(envTexts);
  pid_t pid = 0;
  if (::posix_spawn(&pid, probe().c_str(), &actions, nullptr, argv.data(), envp.data()) == 0) {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
    int status = 0;
    while (::waitpid(pid, &status, WNOHANG) == 0) {
      if (std::chrono::steady_clock::now() > deadline) {
        ::kill(pid, SIGKILL);
        ::waitpid(pid, &status, 0);
        status = -1;
        break;
      }
      std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    result.status = status;
  }
  posix_spawn_file_actions_destroy(&actions);
  ::close(errFd);
  emulated::readHostFile(errFile, &result.err, nullptr);
  ::unlink(errFile);
  return result;
}

TEST(EmulatedProcess, HandingOverTheExitCodeHoldsNoProgramUp) {
  TestMachine machine;
  const std::string fifo = machine.dir() + "/code.fifo";
  ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
  const std::string folder = machine.dir() + "/code.dir";
  ASSERT_TRUE(emulated::makeHostDirectories(folder));
  // A pipe to a parent that is full: nobody empties it.
  int full[2];
  ASSERT_EQ(::pipe2(full, O_CLOEXEC | O_NONBLOCK), 0);
  const std::string filler(4096, 'x');
  while (::write(full[1], filler.data(), filler.size()) > 0) {
  }
  struct stat st;
  ASSERT_EQ(::fstat(full[1], &st), 0);
  const std::string fullPipe =
      "KV7_EXIT_CODE_FD=3:" + std::to_string(st.st_dev) + ":" + std::to_string(st.st_ino);
  struct Case {
    const char* what;
    int descriptor3;
    std::string variable;
    std::string message;
  };
  const std::string file = machine.dir() + "/shell.code";
  const Case cases[] = {
      {"a regular file, which gets the whole code", -1, "KV7_EXIT_CODE_FILE=" + file, ""},
      {"a FIFO as the file", -1, "KV7_EXIT_CODE_FILE=" + fifo,
       "cannot write the exit code 3010 to " + fifo + ": a FIFO, not a regular file"},
      {"a directory as the file", -1, "KV7_EXIT_CODE_FILE=" + folder,
       "cannot write the exit code 3010 to " + folder + ": a directory, not a regular file"},
      {"a full pipe to the parent", full[1], fullPipe,
       "cannot hand exit code 3010 to its parent: the pipe stayed full for 1000 ms"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    const auto start = std::chrono::steady_clock::now();
    const HostRun run = runProbeWithin(c.descriptor3, {c.variable});
    ASSERT_TRUE(WIFEXITED(run.status)) << "the program was held up";
    EXPECT_EQ(WEXITSTATUS(run.status), 3010 & 0xFF);
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(5));
    EXPECT_NE(run.err.find(c.message), std::string::npos) << run.err;
  }
  std::string written;
  ASSERT_TRUE(emulated::readHostFile(file, &written, nullptr));
  EXPECT_EQ(written, "3010");
  EXPECT_EQ(emulated::listHostDirectory(folder), std::vector<std::string>{});
  ::close(full[0]);
  ::close(full[1]);
}

TEST(EmulatedProcess, HandsTheChildItsCommandLineAsWritten) {
  TestMachine machine;
  // Quotes and backslashes as msiexec reads them, not as the runtime splits;
  // the parent's ANSI text as it is.
  const std::string line =
      probeCommand() + R"( cmdline INSTALLDIR="C:\apps\SITEA\" X=""  tail Z)" + "\xFCrich";
  const ChildRun run = runChild(line);
  ASSERT_TRUE(run.started);
  EXPECT_EQ(run.out, "[" + line + "]\n");

  // Started by a host program, or with a line that is not its own (left
  // behind by a host program between), a program sees the line its
  // arguments make, typed in UTF-8 and put into the code page.
  const std::string composed =
      "[\"" + emulated::toWindowsPath(probe()) + "\" cmdline \"a b\" c\\\"d \"\" e\\ Z\xFCrich]\n";
  const std::vector<std::string> args = {"cmdline", "a b", "c\"d", "", "e\\", "Z\xC3\xBCrich"};
  EXPECT_EQ(machine.run(probe(), args).out, composed);
  EXPECT_EQ(machine.run(probe(), args, {{"KV7_COMMAND_LINE", "other.exe cmdline x"}}).out,
            composed);
  // The arguments the runtime hands over are the same texts.
  EXPECT_EQ(machine.run(probe(), {"args", "Z\xC3\xBCrich", "\xE2\x98\x83"}).out,
            "[Z\xFCrich]\n[?]\n");
}

TEST(EmulatedProcess, AChildWritingIntoAPipeNobodyReadsGetsAnErrorNotASignal) {
  TestMachine machine;
  platform::Handle readEnd, writeEnd;
  ASSERT_TRUE(platform::createPipe(&readEnd, &writeEnd));
  platform::closeHandle(readEnd);
  platform::ProcessInfo info;
  // A host program that does not ignore SIGPIPE by itself.
  ASSERT_TRUE(platform::createProcess(R"(Z:\bin\sh -c "echo lost; exit 7")", nullptr, writeEnd,
                                      nullptr, &info));
  platform::closeHandle(writeEnd);
  uint32_t code = 0;
  EXPECT_EQ(platform::waitForSingleObject(info.process, platform::kInfinite), 0u);
  ASSERT_TRUE(platform::getExitCodeProcess(info.process, &code));
  EXPECT_EQ(code, 7u);
  platform::closeHandle(info.process);
  platform::closeHandle(info.thread);
}

TEST(EmulatedProcess, RunsInTheGivenWorkingDirectoryOnTheSameMachine) {
  TestMachine machine;
  machine.makeDirectory("C:\\Work Dir");
  const ChildRun run = runChild(probeCommand() + " where", "c:\\work dir");
  ASSERT_TRUE(run.started);
  EXPECT_EQ(run.out, "C:\\Work Dir\n" + emulated::toWindowsPath(probe()) + "\n");
}

TEST(EmulatedProcess, MissingProgramOrDirectoryFails) {
  TestMachine machine;
  platform::ProcessInfo info;
  EXPECT_FALSE(platform::createProcess("C:\\Windows\\system32\\nothing.exe /x", nullptr, nullptr,
                                       nullptr, &info));
  EXPECT_EQ(platform::getLastError(), platform::kErrorFileNotFound);
  machine.writeFile("C:\\data.exe", "not a program");
  EXPECT_FALSE(platform::createProcess("C:\\data.exe", nullptr, nullptr, nullptr, &info));
  EXPECT_EQ(platform::getLastError(), platform::kErrorFileNotFound);
  EXPECT_FALSE(platform::createProcess((probeCommand() + " exit 0").c_str(), "C:\\no such dir",
                                       nullptr, nullptr, &info));
}

TEST(EmulatedProcess, ARunningChildIsStillActiveUntilItEnds) {
  TestMachine machine;
  const std::string go = machine.dir() + "/go";
  platform::ProcessInfo info;
  ASSERT_TRUE(platform::createProcess((probeCommand() + " await " + go).c_str(), nullptr, nullptr,
                                      nullptr, &info));
  uint32_t code = 0;
  EXPECT_EQ(platform::waitForSingleObject(info.process, 0), platform::kWaitTimeout);
  EXPECT_EQ(platform::waitForSingleObject(info.process, 20), platform::kWaitTimeout);
  ASSERT_TRUE(platform::getExitCodeProcess(info.process, &code));
  EXPECT_EQ(code, platform::kStillActive);
  machine.writeFile(emulated::toWindowsPath(go), "");
  EXPECT_EQ(platform::waitForSingleObject(info.process, platform::kInfinite), 0u);
  ASSERT_TRUE(platform::getExitCodeProcess(info.process, &code));
  EXPECT_EQ(code, 0u);
  EXPECT_TRUE(platform::closeHandle(info.process));
  EXPECT_TRUE(platform::closeHandle(info.thread));
  EXPECT_FALSE(platform::closeHandle(info.process));
  EXPECT_EQ(platform::getLastError(), platform::kErrorInvalidHandle);

  // A child killed by a signal ends with 128 and the signal's number, as a
  // shell reports it.
  ASSERT_TRUE(platform::createProcess((probeCommand() + " await " + go + ".never").c_str(), nullptr,
                                      nullptr, nullptr, &info));
  ::kill(static_cast<pid_t>(info.processId), SIGKILL);
  EXPECT_EQ(platform::waitForSingleObject(info.process, platform::kInfinite), 0u);
  ASSERT_TRUE(platform::getExitCodeProcess(info.process, &code));
  EXPECT_EQ(code, 128u + SIGKILL);
  platform::closeHandle(info.process);
  platform::closeHandle(info.thread);
}

TEST(EmulatedPipe, ReadFailsOnceEveryWriteEndIsClosed) {
  platform::Handle readEnd, writeEnd, copy;
  ASSERT_TRUE(platform::createPipe(&readEnd, &writeEnd));
  ASSERT_TRUE(platform::duplicateHandle(writeEnd, &copy));
  uint32_t count = 0;
  ASSERT_TRUE(platform::writeFile(writeEnd, "abc", 3, &count));
  EXPECT_EQ(count, 3u);
  platform::closeHandle(writeEnd);
  char buffer[8];
  ASSERT_TRUE(platform::readFile(readEnd, buffer, sizeof buffer, &count));
  EXPECT_EQ(std::string(buffer, count), "abc");
  ASSERT_TRUE(platform::writeFile(copy, "d", 1, &count));  // the copy still writes
  ASSERT_TRUE(platform::readFile(readEnd, buffer, sizeof buffer, &count));
  EXPECT_EQ(std::string(buffer, count), "d");
  platform::closeHandle(copy);
  EXPECT_FALSE(platform::readFile(readEnd, buffer, sizeof buffer, &count));
  EXPECT_EQ(count, 0u);
  platform::closeHandle(readEnd);
  EXPECT_FALSE(platform::readFile(readEnd, buffer, sizeof buffer, &count));
  EXPECT_EQ(platform::getLastError(), platform::kErrorInvalidHandle);
}

TEST(EmulatedPipe, WriteWithoutReaderFailsInsteadOfEndingTheProcess) {
  platform::Handle readEnd, writeEnd;
  ASSERT_TRUE(platform::createPipe(&readEnd, &writeEnd));
  platform::closeHandle(readEnd);
  uint32_t count = 7;
  EXPECT_FALSE(platform::writeFile(writeEnd, "x", 1, &count));
  EXPECT_EQ(count, 0u);
  platform::closeHandle(writeEnd);
}

TEST(EmulatedPipe, SetStdHandleChangesOnlyWhatGetStdHandleAnswers) {
  const platform::Handle original = platform::getStdHandle(platform::kStdOutputHandle);
  ASSERT_NE(original, nullptr);
  platform::Handle readEnd, writeEnd;
  ASSERT_TRUE(platform::createPipe(&readEnd, &writeEnd));
  ASSERT_TRUE(platform::setStdHandle(platform::kStdOutputHandle, writeEnd));
  EXPECT_EQ(platform::getStdHandle(platform::kStdOutputHandle), writeEnd);
  EXPECT_NE(platform::getStdHandle(platform::kStdErrorHandle), writeEnd);
  ASSERT_TRUE(platform::setStdHandle(platform::kStdOutputHandle, original));
  EXPECT_EQ(platform::getStdHandle(platform::kStdOutputHandle), original);
  platform::closeHandle(readEnd);
  platform::closeHandle(writeEnd);
}

}  // namespace
