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

void OpenOurs(benchmark::State& state) {
    const std::string folder = zrb::bench::ModelFolder(static_cast<int>(state.range(0)));
    CEditorDlg window;
    window.show();
    QApplication::processEvents();
    for (auto _ : state) {
        zrb::gui::FileDialogs::SetNextFileName(QString::fromStdString(folder + "/picked.zrb"));
        window.editor().OpenMotionModel();
        // Let the list lay itself out and paint, as it would on screen.
        QApplication::processEvents();
        if (window.ListCount() != state.range(0)) {
            state.SkipWithError("the list does not hold the folder");
        }
    }
}

void OpenReference(benchmark::State& state) {
    const std::string folder = zrb::bench::ModelFolder(static_cast<int>(state.range(0)));
    for (auto _ : state) {
        std::vector<std::string> names;
        DIR* dir = ::opendir(folder.c_str());
        while (const dirent* entry = ::readdir(dir)) {
            names.emplace_back(entry->d_name);
        }
        ::closedir(dir);
        std::sort(names.begin(), names.end());
        benchmark::DoNotOptimize(names);
    }
}

#define ZRB_OPEN_BENCH(count, label)                            \
    BENCHMARK(OpenOurs)                                         \
        ->Name("Open Motion Model, " label " models/ours")      \
        ->Arg(count)                                            \
        ->Unit(benchmark::kMillisecond);                        \
    BENCHMARK(OpenReference)                                    \
        ->Name("Open Motion Model, " label " models/reference") \
        ->Arg(count)                                            \
        ->Unit(benchmark::kMillisecond)

ZRB_OPEN_BENCH(1000, "1,000");
ZRB_OPEN_BENCH(10000, "10,000");
ZRB_OPEN_BENCH(100000, "100,000");

struct RunFigures {
    double seconds = -1;
    long peakKb = -1;
};

// Runs `program` offscreen until its window has been shown, through the spawn probe.
RunFigures RunToWindowShown(const std::string& program, const std::string& args) {
    const std::string command = "QT_QPA_PLATFORM=offscreen ZRB_QUIT_WHEN_SHOWN=1 " +
                                std::string(ZRB_SPAWN_PROBE) + " " + program + " " + args +
                                " 2>/dev/null";
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

long g_oursPeak = 0;

void Startup(benchmark::State& state, const std::string& program, bool ours) {
    // The reference shows an empty dialog of the editor window's size.
    std::string args;
    if (!ours) {
        CEditorDlg editor;
        args = std::to_string(editor.width()) + " " + std::to_string(editor.height());
    }
    long peak = 0;
    for (auto _ : state) {
        const RunFigures run = RunToWindowShown(program, args);
        if (run.seconds < 0) {
            state.SkipWithError(("could not run " + program).c_str());
            return;
        }
        state.SetIterationTime(run.seconds);
        peak = std::max(peak, run.peakKb);
    }
    state.counters["peak_kb"] = static_cast<double>(peak);
    if (ours) {
        g_oursPeak = peak;
        return;
    }
    const double ratio = static_cast<double>(g_oursPeak) / static_cast<double>(peak);
    char line[160];
    std::snprintf(line, sizeof line, "%ld KB vs %ld KB, ratio %.2f (target <= 1.30)%s", g_oursPeak,
                  peak, ratio, ratio <= 1.3 ? "" : " MISSED");
    zrb::bench::Extras().clear();
    zrb::bench::Extras().push_back({"Start-up peak memory", line});
}

void StartupOurs(benchmark::State& state) {
    Startup(state, ZRB_EDITOR_PROGRAM, true);
}
void StartupReference(benchmark::State& state) {
    Startup(state, ZRB_STARTUP_REFERENCE, false);
}
BENCHMARK(StartupOurs)
    ->Name("Start-up to the window shown/ours")
    ->Unit(benchmark::kMillisecond)
    ->UseManualTime()
    ->Iterations(20);
BENCHMARK(StartupReference)
    ->Name("Start-up to the window shown/reference")
    ->Unit(benchmark::kMillisecond)
    ->UseManualTime()
    ->Iterations(20);

}  // namespace
