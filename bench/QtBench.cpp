// The editor window: Open Motion Model on large folders, and start-up, each against the
// least a plain program needs for the same result.

#include <benchmark/benchmark.h>
#include <dirent.h>
#include <sys/stat.h>

#include <QApplication>
#include <QElapsedTimer>
#include <QFileDialog>
#include <QFileSystemModel>
#include <QString>
#include <QTimer>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <string>
#include <vector>

#include "BenchFolder.h"
#include "BenchTable.h"
#include "editor/qt/EditorDlg.h"
#include "editor/qt/FleetDlg.h"
#include "editor/qt/ModalDialogs.h"
#include "platform/Paths.h"

namespace {

const zrb::bench::RegisterPair kOpen1k("Open Motion Model, 1,000 models", 0);
const zrb::bench::RegisterPair kOpen10k("Open Motion Model, 10,000 models", 3.0);
const zrb::bench::RegisterPair kOpen100k("Open Motion Model, 100,000 models", 3.0);
const zrb::bench::RegisterPair kStartup("Start-up to the window shown", 1.5);
const zrb::bench::RegisterPair kBrowse("File dialog on 100,000 models", 0);
const zrb::bench::RegisterPair kOverview("Fleet overview on 10,000 models", 3.0);

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

// The overview window on a folder of 10,000 models until its table holds every row,
// against reading the same files with the core reader alone.
void Overview(benchmark::State& state) {
    const std::string folder = zrb::bench::ModelFolder(10000);
    CEditorDlg window;
    window.show();
    zrb::gui::FileDialogs::SetNextFileName(QString::fromStdString(folder + "/picked.zrb"));
    window.editor().OpenMotionModel();
    QApplication::processEvents();
    const int count = window.ListCount();
    QString lastFolder;
    const auto ours = [&] {
        return zrb::bench::SecondsOf([&] {
            CFleetDlg overview(window.controller(), lastFolder, &window);
            overview.show();
            while (overview.controller().RowCount() < count) {
                QApplication::processEvents(QEventLoop::WaitForMoreEvents, 50);
            }
            // The rows painted, as on screen.
            QApplication::processEvents();
            return count == 10000;
        });
    };
    const std::vector<std::string> names = window.controller().ListedModels();
    const auto reference = [&] {
        return zrb::bench::SecondsOf([&] { return zrb::bench::ReadEachModel(folder, names); });
    };
    zrb::bench::RunInTurns(state, kOverview.operation, benchmark::kMillisecond, ours, reference);
}
BENCHMARK(Overview)
    ->Name("Fleet overview, 10,000 models, in turns")
    ->Unit(benchmark::kMillisecond)
    ->UseManualTime()
    ->Iterations(5);

// What a plain program needs to show a folder as the dialog's detail view does: every
// name with its size and date, sorted.
bool ReadStatAndSortNames(const std::string& folder) {
    std::vector<std::pair<std::string, off_t>> entries;
    DIR* dir = ::opendir(folder.c_str());
    if (dir == nullptr) {
        return false;
    }
    while (const dirent* entry = ::readdir(dir)) {
        struct stat info {};
        ::fstatat(::dirfd(dir), entry->d_name, &info, 0);
        entries.emplace_back(entry->d_name, info.st_size);
    }
    ::closedir(dir);
    std::sort(entries.begin(), entries.end());
    benchmark::DoNotOptimize(entries);
    return true;
}

// Opens the editor's Open dialog (Qt's widget dialog, the one that runs on the window's
// thread) on `folder` and times it until its list holds every entry and the event queue
// has run dry, then closes it. Also the longest time the window's thread was kept from
// its events meanwhile: that is what a user feels as a freeze.
struct BrowseFigures {
    double seconds = -1;
    double longestStall = 0;
};

BrowseFigures Browse(const QString& folder, int entries) {
    qputenv("ZRB_WIDGET_FILE_DIALOG", "1");
    QElapsedTimer clock;
    BrowseFigures figures;
    qint64 lastTick = 0;
    QTimer poll;
    poll.setInterval(1);
    QObject::connect(&poll, &QTimer::timeout, [&] {
        const qint64 now = clock.nsecsElapsed();
        figures.longestStall = std::max(figures.longestStall, (now - lastTick) / 1e9);
        lastTick = now;
        auto* dialog = qobject_cast<QFileDialog*>(QApplication::activeModalWidget());
        auto* model = dialog != nullptr ? dialog->findChild<QFileSystemModel*>() : nullptr;
        if (model == nullptr || model->rowCount(model->index(folder)) < entries) {
            if (dialog != nullptr && clock.elapsed() > 120000) {
                poll.stop();
                dialog->reject();
            }
            return;
        }
        poll.stop();
        // A zero timer fires once the events queued so far, painting among them, are done.
        QTimer::singleShot(0, dialog, [&figures, &clock, dialog] {
            figures.seconds = static_cast<double>(clock.nsecsElapsed()) / 1e9;
            dialog->reject();
        });
    });
    QString start = folder;
    clock.start();
    poll.start();
    zrb::gui::FileDialogs::Show(nullptr, zrb::ModelFileDialog(zrb::FileDialogType::Open), start);
    return figures;
}

void Browse(benchmark::State& state) {
    const int count = static_cast<int>(state.range(0));
    const QString folder = QString::fromStdString(zrb::bench::ModelFolder(count));
    static double longestStall = 0;  // over all repetitions
    const auto ours = [&] {
        const BrowseFigures figures = Browse(folder, count);
        longestStall = std::max(longestStall, figures.longestStall);
        return figures.seconds;
    };
    const auto reference = [&] {
        return zrb::bench::SecondsOf([&] { return ReadStatAndSortNames(folder.toStdString()); });
    };
    zrb::bench::RunInTurns(state, kBrowse.operation, benchmark::kMillisecond, ours, reference);
    const double median = zrb::bench::MeasuredPairs()[kBrowse.operation].ours;
    char line[160];
    std::snprintf(line, sizeof line,
                  "%.0f ms until listed and idle (target < 500 ms)%s; window thread stalled "
                  "%.0f ms at most",
                  median, median < 500 ? "" : " MISSED", longestStall * 1e3);
    zrb::bench::SetExtra("File dialog, 100,000 models", line);
}
BENCHMARK(Browse)
    ->Name("File dialog on a folder, until listed and idle")
    ->Arg(100000)
    ->Unit(benchmark::kMillisecond)
    ->UseManualTime()
    ->Iterations(3);

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
    zrb::bench::SetExtra("Start-up peak memory", line);
}
BENCHMARK(Startup)
    ->Name("Start-up to the window shown, in turns")
    ->Unit(benchmark::kMillisecond)
    ->UseManualTime()
    ->Iterations(20);

}  // namespace
