// The runner launcher against stand-in runners and terminals that record how they were
// started.

#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <filesystem>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "pack/ScriptLauncher.h"
#include "tests/pack/PackTestSupport.h"

namespace zrb {
namespace {

using packtest::Exists;
using packtest::ReadBytes;
using packtest::WriteBytes;
using ::testing::ElementsAre;
using ::testing::HasSubstr;
namespace fs = std::filesystem;

// Writes where it ran, its arguments, its session, what it read, then output on both
// streams; "done" appears last and at once (rename), so a reader never sees half.
const char* const kRecorder =
    "#!/bin/sh\n"
    "{ pwd; for a in \"$@\"; do echo \"$a\"; done; } > \"$RECORD.args\"\n"
    "cut -d' ' -f6 /proc/$$/stat > \"$RECORD.session\"\n"
    "if read line; then echo \"stdin:$line\"; else echo stdin:eof; fi\n"
    "echo to-stderr >&2\n"
    "echo finished > \"$RECORD.tmp\" && mv \"$RECORD.tmp\" \"$RECORD.done\"\n";

void WriteProgram(const std::string& path, const std::string& text) {
    WriteBytes(path, text);
    ::chmod(path.c_str(), 0755);
}

std::vector<std::string> Lines(const std::string& text) {
    std::vector<std::string> lines;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);) {
        lines.push_back(line);
    }
    return lines;
}

// A detached script is nobody's child: wait for the mark it leaves, with a generous
// bound so that a broken launch fails the test instead of hanging it.
bool WaitForFile(const std::string& path) {
    for (int i = 0; i < 3000; ++i) {
        if (Exists(path)) {
            return true;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    return false;
}

class LaunchScriptTest : public ::testing::Test {
  protected:
    LaunchScriptTest() {
        start = root / "start";
        archive = root / "archive";
        bin = root / "bin";
        for (const std::string& folder : {start, archive, bin}) {
            fs::create_directory(folder);
        }
        record = root / "record";
        // The stand-ins find the record through the environment they inherit.
        ::setenv("RECORD", record.c_str(), 1);
        WriteBytes(archive + "/Install_ZRB.bat", "@ECHO OFF\r\n");
    }
    ~LaunchScriptTest() override { ::unsetenv("RECORD"); }

    ScriptLaunch Launch() const {
        return {start, archive, archive + "/Install_ZRB.bat", "Install_ZRB.bat"};
    }

    packtest::TempFolder root;
    std::string start, archive, bin, record;
};

TEST_F(LaunchScriptTest, AMissingRunnerIsReportedWithItsPath) {
    RunnerLauncher launcher(RunnerLaunchOptions{std::string(), false});
    const Result ready = launcher.CheckReady(start);
    EXPECT_FALSE(ready);
    EXPECT_THAT(ready.message(), HasSubstr("\"" + start + "/zrb-batch\""));
    const Result launched = launcher.Launch(Launch());
    EXPECT_FALSE(launched);
    EXPECT_EQ(launched.message(), ready.message());
}

TEST_F(LaunchScriptTest, WithoutATerminalTheRunnerRunsDetachedInTheArchiveFolder) {
    WriteProgram(start + "/zrb-batch", kRecorder);
    RunnerLauncher launcher(RunnerLaunchOptions{bin, false});  // no terminal in bin
    ASSERT_TRUE(launcher.CheckReady(start));

    const Result launched = launcher.Launch(Launch());
    ASSERT_TRUE(launched) << launched.message();
    // The intermediate child was reaped and the runner is not ours: no child is left
    // to become a zombie.
    EXPECT_EQ(::waitpid(-1, nullptr, WNOHANG), -1);
    EXPECT_EQ(errno, ECHILD);

    ASSERT_TRUE(WaitForFile(record + ".done"));
    EXPECT_THAT(Lines(ReadBytes(record + ".args")),
                ElementsAre(archive, "--report=Install_ZRB.result", "--lock=Install_ZRB.lock",
                            "Install_ZRB.bat"));
    // A session of its own, so that it outlives the editor.
    EXPECT_NE(ReadBytes(record + ".session"), std::to_string(::getsid(0)) + "\n");
    // Output of both streams in the log beside the script; nothing to read on stdin.
    EXPECT_EQ(ReadBytes(archive + "/Install_ZRB.log"), "stdin:eof\nto-stderr\n");
}

TEST_F(LaunchScriptTest, ATerminalOnTheSearchPathGetsTheRunnerWithPause) {
    WriteProgram(start + "/zrb-batch", "#!/bin/sh\nexit 0\n");
    WriteProgram(bin + "/x-terminal-emulator", kRecorder);
    RunnerLauncher launcher(RunnerLaunchOptions{root / "empty" + ":" + bin, false});

    const Result launched = launcher.Launch(Launch());
    ASSERT_TRUE(launched) << launched.message();
    ASSERT_TRUE(WaitForFile(record + ".done"));
    EXPECT_THAT(
        Lines(ReadBytes(record + ".args")),
        ElementsAre(archive, "-e", start + "/zrb-batch", "--pause", "--report=Install_ZRB.result",
                    "--lock=Install_ZRB.lock", "Install_ZRB.bat"));
    // The terminal shows the output: no log is made for it.
    EXPECT_FALSE(Exists(archive + "/Install_ZRB.log"));
}

TEST_F(LaunchScriptTest, WaitingRunsTheScriptToItsEndAndReportsItsFailure) {
    WriteProgram(start + "/zrb-batch", kRecorder);
    RunnerLauncher waiting(RunnerLaunchOptions{std::string(), true});
    ASSERT_TRUE(waiting.Launch(Launch()));
    // Done before Launch returned, with nothing left to reap.
    EXPECT_TRUE(Exists(record + ".done"));
    EXPECT_EQ(::waitpid(-1, nullptr, WNOHANG), -1);

    WriteProgram(start + "/zrb-batch", "#!/bin/sh\necho broken script\nexit 1\n");
    const Result failed = waiting.Launch(Launch());
    EXPECT_FALSE(failed);
    EXPECT_THAT(failed.message(), HasSubstr("Install_ZRB.log"));
    EXPECT_EQ(ReadBytes(archive + "/Install_ZRB.log"), "broken script\n");
}

TEST_F(LaunchScriptTest, WhatCannotBeStartedIsReported) {
    RunnerLauncher launcher(RunnerLaunchOptions{std::string(), false});

    // Executable, but no program the system can start.
    WriteProgram(start + "/zrb-batch", "not a program\n");
    Result launched = launcher.Launch(Launch());
    EXPECT_FALSE(launched);
    EXPECT_THAT(launched.message(), HasSubstr("Could not start \"" + start + "/zrb-batch\""));

    // No archive folder to run in (nor to hold the log).
    WriteProgram(start + "/zrb-batch", kRecorder);
    ScriptLaunch nowhere = Launch();
    nowhere.workingFolder = root / "nowhere";
    launched = launcher.Launch(nowhere);
    EXPECT_FALSE(launched);
    EXPECT_THAT(launched.message(), HasSubstr(root / "nowhere"));
    EXPECT_EQ(::waitpid(-1, nullptr, WNOHANG), -1);
}

}  // namespace
}  // namespace zrb
