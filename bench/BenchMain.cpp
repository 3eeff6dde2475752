// Runs the benchmarks and prints one table: each operation of the program against the
// plain-system reference measured in the same run, with the ratio and its target.
//
// Each benchmark runs the program's side and the reference in turns (RunInTurns in
// BenchTable.h) and the table compares their medians against the target registered with
// the pair.

#include <benchmark/benchmark.h>

#include <QApplication>

#include <cstdio>
#include <map>
#include <string>
#include <vector>

#include "BenchTable.h"

namespace {

const char* UnitName(benchmark::TimeUnit unit) {
    switch (unit) {
        case benchmark::kNanosecond:
            return "ns";
        case benchmark::kMicrosecond:
            return "us";
        case benchmark::kMillisecond:
            return "ms";
        default:
            return "s";
    }
}

}  // namespace

int main(int argc, char** argv) {
    // The editor window is measured offscreen, like the programs it is compared with.
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();

    bool allMet = true;
    std::printf("\n%-44s %14s %14s %8s %8s\n", "operation", "this project", "reference", "ratio",
                "target");
    for (const zrb::bench::Pair& pair : zrb::bench::Pairs()) {
        const auto measured = zrb::bench::MeasuredPairs().find(pair.operation);
        if (measured == zrb::bench::MeasuredPairs().end()) {
            continue;  // not run (filtered out, or failed)
        }
        const zrb::bench::Measured& figures = measured->second;
        const char* unit = UnitName(figures.unit);
        const double ratio = figures.ours / figures.reference;
        // A pair without a target is shown for information.
        const bool met = pair.target <= 0 || ratio <= pair.target;
        allMet = allMet && met;
        char target[32] = "-";
        if (pair.target > 0) {
            std::snprintf(target, sizeof target, "<= %.2f", pair.target);
        }
        std::printf("%-44s %11.1f %-2s %11.1f %-2s %8.2f %8s %s\n", pair.operation.c_str(),
                    figures.ours, unit, figures.reference, unit, ratio, target,
                    met ? "" : "MISSED");
    }
    // Opening ten times as many models may cost a little more than ten times as much
    // (one sort), but not more than twelve.
    const auto& measured = zrb::bench::MeasuredPairs();
    const auto open10k = measured.find("Open Motion Model, 10,000 models");
    const auto open100k = measured.find("Open Motion Model, 100,000 models");
    if (open10k != measured.end() && open100k != measured.end()) {
        const double growth = open100k->second.ours / open10k->second.ours;
        allMet = allMet && growth <= 12;
        std::printf("%-44s %.1f times (target <= 12)%s\n", "Open Motion Model, 100,000 vs 10,000",
                    growth, growth <= 12 ? "" : " MISSED");
    }
    for (const zrb::bench::Extra& extra : zrb::bench::Extras()) {
        allMet = allMet && extra.value.find("MISSED") == std::string::npos;
        std::printf("%-44s %s\n", extra.label.c_str(), extra.value.c_str());
    }
    benchmark::Shutdown();
    return allMet ? 0 : 1;
}
