// The editor window: Open Motion Model on large folders, and start-up, each against the
// least a plain program needs for the same result.

#include <benchmark/benchmark.h>
#include <dirent.h>

#include <QApplication>
#include <QString>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <string>
#include <vector>

#include "BenchFolder.h"
#include "BenchTable.h"
#include "editor/EditorDlg.h"
#include "editor/ModalDialogs.h"

namespace {

const zrb::bench::RegisterPair kOpen1k("Open Motion Model, 1,000 models", 0);
const zrb::bench::RegisterPair kOpen10k("Open Motion Model, 10,000 models", 3.0);
const zrb::bench::RegisterPair kOpen100k("Open Motion Model, 100,000 models", 3.0);
const zrb::bench::RegisterPair kStartup("Start-up to the window shown", 1.5);

bool ReadAndSortNames(const std::string& folder) {
    std::vector<std::string> names;
    DIR* dir = ::opendir(folder.c_str());
    if (dir == nullptr) {
        return false;
    }
    while (const dirent* entry = ::readdir(dir)) {
        names.emplace_back(entry->d_name);
    }
    ::closedir(dir);
    std::sort(names.begin(), names.end());
    benchmark::DoNotOptimize(names);
    return true;
}

void Open(benchmark::State& state, const zrb::bench::RegisterPair& pair) {
    const std::string folder = zrb::bench::ModelFolder(static_cast<int>(state.range(0)));
    CEditorDlg window;
    window.show();
    QApplication::processEvents();
    const auto ours = [&] {
        return zrb::bench::SecondsOf([&] {
            zrb::gui::FileDialogs::SetNextFileName(QString::fromStdString(folder + "/picked.zrb"));
            window.editor().OpenMotionModel();
            // Let the list lay itself out and paint, as it would on screen.
            QApplication::processEvents();
            return window.ListCount() == state.range(0);
        });
    };
    const auto reference = [&] {
        return zrb::bench::SecondsOf([&] { return ReadAndSortNames(folder); });
    };
    zrb::bench::RunInTurns(state, pair.operation, benchmark::kMillisecond, ours, reference);
}
BENCHMARK_CAPTURE(Open, 1k, kOpen1k)->Arg(1000)->Unit(benchmark::kMillisecond)->UseManualTime();
BENCHMARK_CAPTURE(Open, 10k, kOpen10k)->Arg(10000)->Unit(benchmark::kMillisecond)->UseManualTime();
BENCHMARK_CAPTURE(Open, 100k, kOpen100k)
    ->Arg(100000)
    ->Unit(benchmark::kMillisecond)
    ->UseManualTime();

struct RunFigures {
    double seconds = -1;
    long peakKb = -1;
};

// Runs `program` offscreen until its window has been shown, through the spawn probe.
RunFigures RunToWindowShown(const std::string& program, const std::string& args) {
    const std::string command = "QT_QPA_PLATFORM=offscreen " + std::string(ZRB_SPAWN_PROBE) + " " +
                                program + " " + args + " 2>/dev/null";
    RunFigures figures;
    FILE* probe = ::popen(command.c_str(), "r");
    if (probe == nullptr) {
        return figures;
    }
    long long micros = 0;
    long kb = 0;
    if (std::fscanf(probe, "%lld %ld", &micros, &kb) == 2) {
        figures = {static_cast<double>(micros) / 1e6, kb};
    }
    ::pclose(probe);
    return figures;
}

// Start-up runs the editor and the reference in turns and compares the medians: a single
// start-up takes tens of milliseconds, and the fastest run of either side is often a
// lucky outlier.
void Startup(benchmark::State& state) {
    // The reference shows an empty dialog of the editor window's size.
    std::string args;
    {
        CEditorDlg editor;
        args = std::to_string(editor.width()) + " " + std::to_string(editor.height());
    }
    static long oursPeak = 0, referencePeak = 0;  // over all repetitions
    const auto run = [](const std::string& program, const std::string& arguments, long& peak) {
        const RunFigures figures = RunToWindowShown(program, arguments);
        peak = std::max(peak, figures.peakKb);
        return figures.seconds;
    };
    zrb::bench::RunInTurns(
        state, kStartup.operation, benchmark::kMillisecond,
        [&] { return run(ZRB_EDITOR_PROGRAM, "", oursPeak); },
        [&] { return run(ZRB_STARTUP_REFERENCE, args, referencePeak); });
    const double ratio = static_cast<double>(oursPeak) / static_cast<double>(referencePeak);
    char line[160];
    std::snprintf(line, sizeof line, "%ld KB vs %ld KB, ratio %.2f (target <= 1.30)%s", oursPeak,
                  referencePeak, ratio, ratio <= 1.3 ? "" : " MISSED");
    zrb::bench::Extras().clear();
    zrb::bench::Extras().push_back({"Start-up peak memory", line});
}
BENCHMARK(Startup)
    ->Name("Start-up to the window shown, in turns")
    ->Unit(benchmark::kMillisecond)
    ->UseManualTime()
    ->Iterations(20);

}  // namespace
