// Pack All with the real archiver and the real script runner, run to their end.

#include <fcntl.h>
#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <spawn.h>
#include <sys/wait.h>

#include <cstdlib>
#include <filesystem>
#include <sstream>
#include <string>
#include <vector>

#include "pack/PackCommands.h"
#include "tests/pack/PackTestSupport.h"

namespace zrb {
namespace {

using packtest::ReadBytes;
using packtest::Snapshot;
using packtest::WriteBytes;
using ::testing::IsEmpty;
using ::testing::UnorderedElementsAre;
namespace fs = std::filesystem;

// Runs `args` and gives back its standard output; fails the test when it fails.
std::string RunForOutput(const std::vector<std::string>& args, const std::string& outputFile) {
    std::vector<char*> argv;
    std::vector<std::string> copies = args;
    for (std::string& arg : copies) {
        argv.push_back(arg.data());
    }
    argv.push_back(nullptr);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 1, outputFile.c_str(), O_WRONLY | O_CREAT | O_TRUNC,
                                     0644);
    pid_t pid = 0;
    const int spawned = posix_spawn(&pid, argv[0], &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    EXPECT_EQ(spawned, 0);
    int status = 0;
    if (spawned == 0) {
        ::waitpid(pid, &status, 0);
    }
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
    return ReadBytes(outputFile);
}

std::vector<std::string> Lines(const std::string& text) {
    std::vector<std::string> lines;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);) {
        if (!line.empty() && line.back() == '\r') {
            line.pop_back();
        }
        lines.push_back(line);
    }
    return lines;
}

TEST(PackEndToEnd, PackAllPutsEveryModelIntoTheArchiveAndLeavesTheModelsAlone) {
    packtest::TempFolder root;
    const std::string start = root / "start";
    const std::string models = root / "models";
    const std::string archive = root / "archive";
    for (const std::string& folder : {start, models, archive}) {
        fs::create_directory(folder);
    }
    fs::copy_file(ZRB_TEST_SQZIP, start + "/sqzip.exe");
    fs::copy_file(ZRB_TEST_RUNNER, start + "/zrb-batch");
    const std::vector<std::string> names = {"-x.zrb", "a.zrb", "b.zrb", "fast & loud.zrb"};
    for (const std::string& name : names) {
        WriteBytes(models + "/" + name, "//" + name + "\r\n.mass\t\t\t\t1500.0000\r\n");
    }
    const auto originals = Snapshot(models);

    packtest::FakeWindow window;
    window.SetList(names);
    ModelWorkspace workspace;
    workspace.modelsFolder = models;
    workspace.currentFile = "a.zrb";
    workspace.startFolder = start;
    window.dialogAnswers.push_back({true, archive + "/vehicles.sqs", "vehicles.sqs"});
    DefineArchiveLocation(workspace, window);

    RunnerLauncher synchronous(RunnerLaunchOptions{std::string(), true});
    RunningPack started;
    PackAll(workspace, window, synchronous, &started);
    ASSERT_THAT(window.Warnings(), IsEmpty());
    // The runner's report, read as the editor reads it, says every model went in; our
    // helper files go once that is known.
    EXPECT_TRUE(PollPack(started).ended);
    // One archiver process serves the adds; each is still reported as a call of its own,
    // in the script's order.
    std::vector<std::string> calls;
    for (const std::string& line : Lines(ReadBytes(archive + "/Install_ZRB.result"))) {
        if (line.rfind("call\t", 0) == 0) {
            calls.push_back(line);
        }
    }
    std::vector<std::string> expectedCalls;
    for (const std::string& name : names) {
        std::string call = "call\t0\t\t.\\\\SQZIP\t-a\t-f\t";
        call += name;
        call += "\t.\\\\vehicles.sqs";
        expectedCalls.push_back(call);
    }
    EXPECT_EQ(calls, expectedCalls);
    const PackOutcome outcome = FinishPack(started);
    EXPECT_EQ(outcome.message,
              "Packed " + std::to_string(names.size()) +
                  " models into vehicles.sqs.\n\nArchiver: sqzip.exe copied from " + start + ".");
    EXPECT_TRUE(outcome.allPacked);
    EXPECT_THAT(packtest::Snapshot(archive),
                ::testing::ElementsAre(::testing::Key("vehicles.sqs")));

    const std::string listing =
        RunForOutput({start + "/sqzip.exe", "-l", archive + "/vehicles.sqs"}, root / "listing.txt");
    EXPECT_THAT(Lines(listing), UnorderedElementsAre("-x.zrb", "a.zrb", "b.zrb", "fast & loud.zrb"))
        << ReadBytes(archive + "/Install_ZRB.log");
    for (const std::string& name : names) {
        EXPECT_FALSE(fs::exists(archive + "/" + name)) << name;
    }
    EXPECT_EQ(Snapshot(models), originals);
}

// A Proton player's game folder: its own Windows sqzip.exe is run through the program
// ZRB_WINE names, and stays as it was.
TEST(PackEndToEnd, TheGamesOwnWindowsArchiverRunsThroughZrbWineAndStays) {
    packtest::TempFolder root;
    const std::string start = root / "start";
    const std::string models = root / "models";
    const std::string game = root / "game";
    for (const std::string& folder : {start, models, game}) {
        fs::create_directory(folder);
    }
    fs::copy_file(ZRB_TEST_SQZIP, start + "/sqzip.exe");
    fs::copy_file(ZRB_TEST_RUNNER, start + "/zrb-batch");
    const std::string games = std::string("MZ\x90\0\3\0 the game's archiver", 25);
    WriteBytes(game + "/sqzip.exe", games);
    fs::permissions(game + "/sqzip.exe", fs::perms::owner_all);
    // Stands in for Proton's wine: notes what it was asked to run, and whether the model
    // copy was there.
    const std::string wine = root / "proton wine";
    WriteBytes(wine,
               "#!/bin/sh\nprintf '%s\\n' \"$*\" >> wine-calls.txt\n"
               "[ -f \"$4\" ] || echo missing >> wine-calls.txt\n");
    fs::permissions(wine, fs::perms::owner_all);
    ::setenv("ZRB_WINE", wine.c_str(), 1);

    WriteBytes(models + "/a.zrb", "//a\r\n");
    WriteBytes(models + "/b.zrb", "//b\r\n");
    packtest::FakeWindow window;
    window.SetList({"a.zrb", "b.zrb"});
    ModelWorkspace workspace;
    workspace.modelsFolder = models;
    workspace.currentFile = "a.zrb";
    workspace.startFolder = start;
    window.dialogAnswers.push_back({true, game + "/vehicles.sqs", "vehicles.sqs"});
    DefineArchiveLocation(workspace, window);

    RunnerLauncher synchronous(RunnerLaunchOptions{std::string(), true});
    PackAll(workspace, window, synchronous);
    ::unsetenv("ZRB_WINE");
    ASSERT_THAT(window.Warnings(), IsEmpty());

    EXPECT_EQ(ReadBytes(game + "/sqzip.exe"), games);
    const std::string archiver = game + "/sqzip.exe";
    EXPECT_THAT(Lines(ReadBytes(game + "/wine-calls.txt")),
                ::testing::ElementsAre(archiver + " -a -f a.zrb .\\vehicles.sqs",
                                       archiver + " -a -f b.zrb .\\vehicles.sqs"))
        << ReadBytes(game + "/Install_ZRB.log");
    EXPECT_FALSE(fs::exists(game + "/a.zrb"));
    EXPECT_FALSE(fs::exists(game + "/b.zrb"));
}

}  // namespace
}  // namespace zrb
