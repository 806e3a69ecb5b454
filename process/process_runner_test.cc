#include "process/process_runner.h"

#include <gtest/gtest.h>
#include <sys/resource.h>
#include <unistd.h>

#include <filesystem>
#include <string>
#include <vector>

#include "emulation/machine/machine.h"
#include "emulation/testing/test_machine.h"
#include "process/runner_codes.h"

namespace {

using Output = ProcessRunner::Output;

// Short enough to keep the suite quick, far shorter than the sleeping child.
constexpr uint32_t kShortWaitMs = 100;
constexpr uint32_t kLongSleepMs = 3000;

// The bytes the helper child writes (see testdata/child_helper.cc).
std::string expectedStdout(std::size_t size) {
  std::string text(size, '\0');
  for (std::size_t i = 0; i < size; ++i) text[i] = static_cast<char>('a' + i % 26);
  return text;
}
std::string expectedStderr(std::size_t size) {
  std::string text(size, '\0');
  for (std::size_t i = 0; i < size; ++i) text[i] = static_cast<char>('0' + i % 10);
  return text;
}

std::string capture(ProcessRunner& runner, Output which) {
  std::size_t length = runner.joinOutput(which);
  std::vector<char> buffer(length + 1, 'x');
  EXPECT_EQ(runner.copyOutput(which, buffer.data(), buffer.size()), 0u);
  EXPECT_EQ(buffer[length], '\0');
  return std::string(buffer.data(), length);
}

class ProcessRunnerChild : public ::testing::Test {
 protected:
  // The helper by its Windows name; the emulated machine sees the host's
  // root as drive Z:.
  std::string helperCommand(const std::string& arguments) const {
    std::string program =
        emulated::toWindowsPath(emulated::TestMachine::testBinDir() + "/child_helper.exe");
    return program + " " + arguments;
  }

  // Runs the helper with these arguments and waits for its end; returns its
  // exit code.
  uint32_t runToEnd(ProcessRunner& runner, const std::string& arguments, uint32_t waitMs = 60000) {
    EXPECT_EQ(runner.setCommand(helperCommand(arguments).c_str()), 0u);
    runner.setTimeout(waitMs);
    EXPECT_EQ(runner.start(/*waitAfterStart=*/true, /*unusedFlag=*/false), 0u);
    uint32_t exitCode = 12345;
    EXPECT_EQ(runner.waitForExit(&exitCode, waitMs), 0u);
    return exitCode;
  }

  emulated::TestMachine machine;
};

TEST_F(ProcessRunnerChild, ExitCodesAndOutputOnBothStreamsArriveWhole) {
  const struct {
    const char* name;
    std::size_t outBytes;
    std::size_t errBytes;
    uint32_t exitCode;
  } cases[] = {
      {"silent", 0, 0, 0},
      {"silent with an error code", 0, 0, 0x80070005u},
      {"one read", 100, 7, 3010},
      {"exactly the first capture size", 1024, 1024, 0xFFFFFFFEu},
      {"one either side of it", 1023, 1025, 1603},
      {"megabytes on both streams at once", 3 * 1024 * 1024 + 17, 3 * 1024 * 1024 + 5, 5},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    ProcessRunner runner(/*command=*/nullptr, /*workingDir=*/nullptr, /*statementMode=*/false,
                         /*allOutputMode=*/false, /*unusedFlag=*/false);
    EXPECT_EQ(runToEnd(runner,
                       "--out " + std::to_string(c.outBytes) + " --err " +
                           std::to_string(c.errBytes) + " --exit " + std::to_string(c.exitCode),
                       120000),
              c.exitCode);
    // Compared whole, not by EXPECT_EQ on strings: a mismatch of megabytes
    // would flood the log.
    std::string out = capture(runner, Output::kStdout);
    std::string err = capture(runner, Output::kStderr);
    EXPECT_EQ(out.size(), c.outBytes);
    EXPECT_EQ(err.size(), c.errBytes);
    EXPECT_TRUE(out == expectedStdout(c.outBytes));
    EXPECT_TRUE(err == expectedStderr(c.errBytes));
  }
}

TEST_F(ProcessRunnerChild, CaptureCopiedIntoASmallBufferIsCutAndTerminated) {
  ProcessRunner runner(/*command=*/nullptr, /*workingDir=*/nullptr, /*statementMode=*/false,
                       /*allOutputMode=*/false, /*unusedFlag=*/false);
  ASSERT_EQ(runToEnd(runner, "--out 40 --exit 0"), 0u);
  char small[11];
  EXPECT_EQ(runner.copyOutput(Output::kStdout, small, sizeof small), kRunnerTextDoesNotFit);
  EXPECT_STREQ(small, "abcdefghij");
  char exact[41];
  EXPECT_EQ(runner.copyOutput(Output::kStdout, exact, sizeof exact), 0u);
  EXPECT_EQ(std::string(exact), expectedStdout(40));
  char oneShort[40];
  EXPECT_EQ(runner.copyOutput(Output::kStdout, oneShort, sizeof oneShort), kRunnerTextDoesNotFit);
  EXPECT_EQ(std::string(oneShort), expectedStdout(39));
  EXPECT_EQ(runner.copyOutput(Output::kStdout, nullptr, 10), kRunnerTextDoesNotFit);
}

TEST_F(ProcessRunnerChild, ChildOutlivingTheWaitsGives259AndIsLeftRunning) {
  ProcessRunner runner(/*command=*/nullptr, /*workingDir=*/nullptr, /*statementMode=*/false,
                       /*allOutputMode=*/false, /*unusedFlag=*/false);
  runner.setCommand(
      helperCommand("--out 10 --sleep " + std::to_string(kLongSleepMs) + " --exit 7").c_str());
  runner.setTimeout(kShortWaitMs);
  runner.start(/*waitAfterStart=*/true, /*unusedFlag=*/false);
  uint32_t exitCode = 0;
  EXPECT_EQ(runner.waitForExit(&exitCode, kShortWaitMs), 0u);
  EXPECT_EQ(exitCode, platform::kStillActive);
  // The readers were stopped: what they hold is the child's own output so
  // far, never the bytes the runner wrote to wake them.
  std::string out = capture(runner, Output::kStdout);
  EXPECT_EQ(out, expectedStdout(out.size()));
  EXPECT_EQ(capture(runner, Output::kStderr), "");

  // Not killed: waiting on, the child ends by itself with its own code.
  EXPECT_EQ(runner.waitForExit(&exitCode, platform::kInfinite), 0u);
  EXPECT_EQ(exitCode, 7u);
}

std::size_t openFileCount() {
  std::size_t count = 0;
  for (const auto& entry : std::filesystem::directory_iterator("/proc/self/fd")) {
    (void)entry;
    ++count;
  }
  return count;
}

TEST_F(ProcessRunnerChild, RunsLeaveNoHandleOpen) {
  struct Run {
    const char* name;
    std::string arguments;
    uint32_t timeoutMs;
    bool wait;
  };
  const Run runs[] = {
      {"a child that ends", "--out 2000 --err 2000 --exit 0", 60000, true},
      {"a child that outlives the waits", "--sleep 1000 --exit 0", kShortWaitMs, true},
      {"a run nobody waits for", "--out 10 --sleep 1000 --exit 0", 0, false},
      {"a program that cannot start", "", kShortWaitMs, true},
  };
  for (const Run& run : runs) {
    SCOPED_TRACE(run.name);
    std::size_t before = openFileCount();
    {
      ProcessRunner runner(/*command=*/nullptr, /*workingDir=*/nullptr, /*statementMode=*/false,
                           /*allOutputMode=*/false, /*unusedFlag=*/false);
      runner.setCommand(run.arguments.empty() ? "Z:\\nowhere.exe"
                                              : helperCommand(run.arguments).c_str());
      runner.setTimeout(run.timeoutMs);
      runner.start(run.wait, /*unusedFlag=*/false);
      uint32_t exitCode = 0;
      if (run.wait) runner.waitForExit(&exitCode, run.timeoutMs);
    }
    EXPECT_EQ(openFileCount(), before);
  }
}

TEST_F(ProcessRunnerChild, ProgramThatCannotStartGives5082) {
  const char* commands[] = {
      "Z:\\nowhere\\program readme.txt",  // no known extension: nothing to run
      "Z:\\nowhere\\missing.exe /x",      // the program does not exist
      "",
  };
  for (const char* command : commands) {
    SCOPED_TRACE(command);
    ProcessRunner runner(/*command=*/nullptr, /*workingDir=*/nullptr, /*statementMode=*/false,
                         /*allOutputMode=*/false, /*unusedFlag=*/false);
    runner.setCommand(command);
    runner.setTimeout(kShortWaitMs);
    EXPECT_EQ(runner.start(/*waitAfterStart=*/true, /*unusedFlag=*/false), 0u);
    uint32_t exitCode = 77;
    EXPECT_EQ(runner.waitForExit(&exitCode, kShortWaitMs), kRunnerExitCodeUnavailable);
    EXPECT_EQ(exitCode, 77u);
    EXPECT_EQ(runner.joinOutput(Output::kStdout), 0u);
  }
}

// Pipes cannot be made when the process may open no further file: the
// soft limit is lowered to the lowest free descriptor for the one start.
class FileLimit {
 public:
  FileLimit() {
    getrlimit(RLIMIT_NOFILE, &saved_);
    int lowestFree = dup(0);
    close(lowestFree);
    rlimit lowered = saved_;
    lowered.rlim_cur = static_cast<rlim_t>(lowestFree);
    setrlimit(RLIMIT_NOFILE, &lowered);
  }
  ~FileLimit() { setrlimit(RLIMIT_NOFILE, &saved_); }

 private:
  rlimit saved_{};
};

TEST_F(ProcessRunnerChild, StartFailingBeforeTheChildGives5030AndRestoresStandardHandles) {
  ProcessRunner runner(/*command=*/nullptr, /*workingDir=*/nullptr, /*statementMode=*/false,
                       /*allOutputMode=*/false, /*unusedFlag=*/false);
  runner.setCommand(helperCommand("--exit 3").c_str());
  runner.setTimeout(kShortWaitMs);
  platform::Handle output = platform::getStdHandle(platform::kStdOutputHandle);
  platform::Handle error = platform::getStdHandle(platform::kStdErrorHandle);
  {
    FileLimit noMoreFiles;
    EXPECT_EQ(runner.start(/*waitAfterStart=*/true, /*unusedFlag=*/false), 0u);
  }
  EXPECT_EQ(platform::getStdHandle(platform::kStdOutputHandle), output);
  EXPECT_EQ(platform::getStdHandle(platform::kStdErrorHandle), error);
  uint32_t exitCode = 77;
  EXPECT_EQ(runner.waitForExit(&exitCode, kShortWaitMs), kRunnerNeverStarted);

  // The same runner starts once files can be opened again.
  runner.start(/*waitAfterStart=*/true, /*unusedFlag=*/false);
  EXPECT_EQ(runner.waitForExit(&exitCode, 60000), 0u);
  EXPECT_EQ(exitCode, 3u);
}

TEST_F(ProcessRunnerChild, CommandTooLongIsRefusedWholeAndRunsNothing) {
  ProcessRunner runner(/*command=*/nullptr, /*workingDir=*/nullptr, /*statementMode=*/false,
                       /*allOutputMode=*/false, /*unusedFlag=*/false);
  std::string command = helperCommand("--exit 0 ");
  command += std::string(kCommandLineCapacity - command.size(), 'x');
  EXPECT_EQ(runner.setCommand(command.c_str()), kRunnerTextDoesNotFit);
  EXPECT_TRUE(runner.preparedCommandLine().empty());
  EXPECT_EQ(runner.start(/*waitAfterStart=*/true, /*unusedFlag=*/false), kRunnerTextDoesNotFit);
  uint32_t exitCode = 77;
  EXPECT_EQ(runner.waitForExit(&exitCode, kShortWaitMs), kRunnerTextDoesNotFit);
  EXPECT_EQ(exitCode, 77u);

  // A command that fits makes the runner usable again.
  EXPECT_EQ(runToEnd(runner, "--exit 4"), 4u);
}

TEST_F(ProcessRunnerChild, CommandGivenAtConstructionIsPreparedAtOnce) {
  machine.makeDirectory("C:\\Work Dir");
  std::string command = helperCommand("--print-cwd 1 --exit 9");
  ProcessRunner runner(command.c_str(), "C:\\Work Dir", /*statementMode=*/false,
                       /*allOutputMode=*/false, /*unusedFlag=*/false);
  EXPECT_EQ(runner.timeout(), platform::kInfinite);
  EXPECT_EQ(runner.preparedCommandLine().substr(0, 1), "\"");
  runner.start(/*waitAfterStart=*/false, /*unusedFlag=*/false);
  uint32_t exitCode = 0;
  ASSERT_EQ(runner.waitForExit(&exitCode, platform::kInfinite), 0u);
  EXPECT_EQ(exitCode, 9u);
  EXPECT_EQ(capture(runner, Output::kStdout), "C:\\Work Dir");

  // In statement mode the command is a statement for the command line
  // processor.
  ProcessRunner plain("select * from t", nullptr, true, false, false);
  EXPECT_EQ(plain.preparedStatement(), "select * from t");
  EXPECT_EQ(plain.preparedCommandLine(), R"("kv7.exe" -ec -v "select * from t")");
  EXPECT_EQ(plain.timeout(), platform::kInfinite);
  ProcessRunner allOutput("select * from t", nullptr, true, true, false);
  EXPECT_EQ(allOutput.preparedCommandLine(), R"("kv7.exe" -a -v "select * from t")");
}

TEST_F(ProcessRunnerChild, NewCommandDiscardsTheEarlierRunAndItsCaptures) {
  ProcessRunner runner(/*command=*/nullptr, /*workingDir=*/nullptr, /*statementMode=*/false,
                       /*allOutputMode=*/false, /*unusedFlag=*/false);
  ASSERT_EQ(runToEnd(runner, "--out 300 --err 200 --exit 1"), 1u);
  ASSERT_EQ(runner.joinOutput(Output::kStdout), 300u);

  runner.setCommand(helperCommand("--exit 2").c_str());
  EXPECT_EQ(runner.joinOutput(Output::kStdout), 0u);
  EXPECT_EQ(runner.joinOutput(Output::kStderr), 0u);
  uint32_t exitCode = 77;
  EXPECT_EQ(runner.waitForExit(&exitCode, kShortWaitMs), kRunnerNeverStarted);
  EXPECT_EQ(exitCode, 77u);

  // A run nobody waited for is ended by the next command: its readers stop,
  // the child is left to finish by itself.
  runner.setCommand(helperCommand("--out 50 --sleep 300 --exit 3").c_str());
  runner.start(/*waitAfterStart=*/false, /*unusedFlag=*/false);
  runner.setCommand(helperCommand("--err 20 --sleep 600 --exit 4").c_str());
  runner.setTimeout(60000);
  runner.start(/*waitAfterStart=*/true, /*unusedFlag=*/false);
  ASSERT_EQ(runner.waitForExit(&exitCode, 60000), 0u);
  EXPECT_EQ(exitCode, 4u);
  EXPECT_EQ(capture(runner, Output::kStdout), "");
  EXPECT_EQ(capture(runner, Output::kStderr), expectedStderr(20));
}

}  // namespace
