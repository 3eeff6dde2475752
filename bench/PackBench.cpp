// Pack All of 10,000 models up to the launch (the copies and the script) against plain
// kernel copies of the same files; and Pack All with its script run to the end.

#include <benchmark/benchmark.h>
#include <dirent.h>
#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <charconv>
#include <filesystem>
#include <string>
#include <vector>

#include "BenchFolder.h"
#include "BenchTable.h"
#include "model/Workspace.h"
#include "pack/PackCommands.h"
#include "pack/ScriptLauncher.h"
#include "platform/Platform.h"
#include "tests/FakeWindow.h"

namespace {

constexpr int kModels = 10000;

const zrb::bench::RegisterPair kPack("Pack All, 10,000 models, up to the launch", 1.3);

class NoLaunch : public zrb::ScriptLauncher {
  public:
    zrb::Result CheckReady(const std::string&) override { return zrb::Result::Success(); }
    zrb::Result Launch(const zrb::ScriptLaunch&) override { return zrb::Result::Success(); }
};

struct PackFolders {
    std::string models;
    std::string start;
    std::string archive;
    std::vector<std::string> names;
};

const PackFolders& Folders() {
    static const PackFolders folders = [] {
        // In memory: on a shared machine's disk the same 10,000 file creations take from
        // two to eight seconds from one round to the next, whoever makes them, which
        // hides what the program adds to them.
        const std::string root = zrb::bench::MemoryRoot();
        PackFolders f;
        f.models = zrb::bench::ModelFolder(kModels, root);
        f.start = root + "/start";
        f.archive = root + "/archive";
        std::filesystem::create_directories(f.start);
        std::filesystem::create_directories(f.archive);
        FILE* archiver = std::fopen((f.start + "/sqzip.exe").c_str(), "wb");
        std::fputs(std::string(200000, 'x').c_str(), archiver);
        std::fclose(archiver);
        f.names = zrb::SearchModelFolder(f.models);
        std::sort(f.names.begin(), f.names.end(), zrb::ModelNameLess);
        return f;
    }();
    return folders;
}

// The script deletes every copy after packing; each round starts from that state.
void EmptyArchiveFolder(const std::string& folder) {
    std::filesystem::remove_all(folder);
    std::filesystem::create_directories(folder);
}

void CopyReference(const std::string& from, const std::string& to) {
    const int in = ::open(from.c_str(), O_RDONLY | O_CLOEXEC);
    const int out = ::open(to.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    while (::copy_file_range(in, nullptr, out, nullptr, 1 << 30, 0) > 0) {
    }
    ::close(in);
    ::close(out);
}

void PackBench(benchmark::State& state) {
    const PackFolders& f = Folders();
    zrb::testing::FakeWindow window;
    window.SetList(f.names);
    NoLaunch launcher;
    zrb::ModelWorkspace workspace;
    workspace.modelsFolder = f.models;
    workspace.startFolder = f.start;
    workspace.archiveFolder = f.archive;
    workspace.archiveFile = "vehicles.sqs";
    const auto ours = [&] {
        EmptyArchiveFolder(f.archive);
        return zrb::bench::SecondsOf([&] {
            zrb::PackAll(workspace, window, launcher);
            return window.messages.empty();
        });
    };
    const auto reference = [&] {
        EmptyArchiveFolder(f.archive);
        return zrb::bench::SecondsOf([&] {
            CopyReference(f.start + "/sqzip.exe", f.archive + "/sqzip.exe");
            for (const std::string& name : f.names) {
                CopyReference(f.models + "/" + name, f.archive + "/" + name);
            }
            return true;
        });
    };
    zrb::bench::RunInTurns(state, kPack.operation, benchmark::kMillisecond, ours, reference);
}
BENCHMARK(PackBench)
    ->Name("Pack All, 10,000 models, up to the launch, in turns")
    ->Unit(benchmark::kMillisecond)
    ->UseManualTime()
    ->Iterations(10);

}  // namespace

// Pack All with the real runner and archiver, the script run to its end: 5,000 models
// against 1,000, which must cost no more than linear growth allows (each add must not
// rewrite the archive).
namespace {

const zrb::bench::RegisterPair kPackRun(
    "Pack All with the script run, 5,000 models (ours) against 1,000 (reference)", 6.0);

struct RunFolders {
    std::string models;
    std::string start;
    std::string archive;
    std::vector<std::string> names;
};

RunFolders MakeRunFolders(int count) {
    // In memory, as above: on this shared disk one round of 5,000 archive syncs takes from
    // 20 to 45 s, whoever makes them. What is measured is how the run grows.
    const std::string root = zrb::bench::MemoryRoot() + "/pack-run-" + std::to_string(count);
    RunFolders f;
    f.models = zrb::bench::ModelFolder(count, zrb::bench::MemoryRoot());
    f.start = root + "/start";
    f.archive = root + "/archive";
    std::filesystem::create_directories(f.start);
    const auto overwrite = std::filesystem::copy_options::overwrite_existing;
    std::filesystem::copy_file(ZRB_BENCH_SQZIP, f.start + "/sqzip.exe", overwrite);
    std::filesystem::copy_file(ZRB_BENCH_RUNNER, f.start + "/zrb-batch", overwrite);
    f.names = zrb::SearchModelFolder(f.models);
    std::sort(f.names.begin(), f.names.end(), zrb::ModelNameLess);
    return f;
}

// Packs every model of `f` into a new archive and checks that the archive lists them all.
bool PackAndRun(const RunFolders& f) {
    EmptyArchiveFolder(f.archive);
    zrb::testing::FakeWindow window;
    window.SetList(f.names);
    zrb::ModelWorkspace workspace;
    workspace.modelsFolder = f.models;
    workspace.startFolder = f.start;
    workspace.archiveFolder = f.archive;
    workspace.archiveFile = "vehicles.sqs";
    zrb::RunnerLauncher run(zrb::RunnerLaunchOptions{std::string(), true});
    zrb::PackAll(workspace, window, run);
    if (!window.messages.empty()) {
        return false;
    }
    zrb::ProgramRun list;
    list.program = f.start + "/sqzip.exe";
    list.args = {"-l", f.archive + "/vehicles.sqs"};
    list.workingFolder = f.archive;
    int status = 1;
    std::string listed;
    return !zrb::RunProgramCapturing(list, &status, listed) && status == 0 &&
           std::count(listed.begin(), listed.end(), '\n') ==
               static_cast<std::ptrdiff_t>(f.names.size());
}

void PackRunBench(benchmark::State& state) {
    static const RunFolders large = MakeRunFolders(5000);
    static const RunFolders small = MakeRunFolders(1000);
    static std::vector<double> times;  // over the repetitions
    zrb::bench::RunInTurns(
        state, kPackRun.operation, benchmark::kMillisecond,
        [&] {
            const double seconds = zrb::bench::SecondsOf([&] { return PackAndRun(large); });
            times.push_back(seconds);
            return seconds;
        },
        [&] { return zrb::bench::SecondsOf([&] { return PackAndRun(small); }); });
    if (!times.empty()) {
        char text[32];
        const auto end = std::to_chars(text, text + sizeof text, zrb::bench::Median(times),
                                       std::chars_format::fixed, 1)
                             .ptr;
        zrb::bench::SetExtra("Pack All of 5,000 models, script run included (target: under 15 s)",
                             std::string(text, end) + " s");
    }
}
BENCHMARK(PackRunBench)
    ->Name("Pack All with the script run, 5,000 and 1,000 models, in turns")
    ->Unit(benchmark::kMillisecond)
    ->UseManualTime()
    ->Iterations(1);

}  // namespace
