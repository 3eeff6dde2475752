// The fleet table: reading a folder of 10,000 models into rows against reading the same
// files with the core reader alone, and sorting 100,000 rows by mass against sorting
// their masses.

#include <benchmark/benchmark.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <random>
#include <string>
#include <vector>

#include "BenchFolder.h"
#include "BenchTable.h"
#include "model/Fleet.h"
#include "model/ModelNames.h"
#include "platform/Paths.h"

namespace {

const zrb::bench::RegisterPair kReadFleet("Fleet table, read 10,000 models", 3.0);
const zrb::bench::RegisterPair kSortFleet("Fleet table, sort 100,000 rows by mass", 0);

void ReadFleetBench(benchmark::State& state) {
    const std::string folder = zrb::bench::ModelFolder(10000);
    std::vector<std::string> names = zrb::SearchModelFolder(folder);
    zrb::SortByModelName(names);
    const auto ours = [&] {
        return zrb::bench::SecondsOf([&] {
            const std::vector<zrb::FleetRow> rows = zrb::ReadFleet(folder, names);
            benchmark::DoNotOptimize(rows);
            return rows.size() == names.size();
        });
    };
    const auto reference = [&] {
        return zrb::bench::SecondsOf([&] { return zrb::bench::ReadEachModel(folder, names); });
    };
    zrb::bench::RunInTurns(state, kReadFleet.operation, benchmark::kMillisecond, ours, reference);
}
BENCHMARK(ReadFleetBench)
    ->Name("Fleet table, read 10,000 models, in turns")
    ->Unit(benchmark::kMillisecond)
    ->UseManualTime()
    ->Iterations(5);

void SortFleetBench(benchmark::State& state) {
    std::mt19937 random(7);
    std::uniform_real_distribution<double> mass(100, 60000);
    std::vector<zrb::FleetRow> rows(100000);
    for (std::size_t i = 0; i < rows.size(); ++i) {
        rows[i].name = "model-" + std::to_string(i) + ".zrb";
        rows[i].read = true;
        rows[i].model.mass = std::round(mass(random));  // ties, as real fleets have
    }
    constexpr int kMassColumn = zrb::kFleetFirstFieldColumn + 4;
    const auto ours = [&] {
        return zrb::bench::SecondsOf([&] {
            const std::vector<std::size_t> order = zrb::SortFleet(rows, kMassColumn, true);
            benchmark::DoNotOptimize(order);
            return order.size() == rows.size();
        });
    };
    const auto reference = [&] {
        return zrb::bench::SecondsOf([&] {
            std::vector<double> masses;
            masses.reserve(rows.size());
            for (const zrb::FleetRow& row : rows) {
                masses.push_back(row.model.mass);
            }
            std::sort(masses.begin(), masses.end());
            benchmark::DoNotOptimize(masses);
            return true;
        });
    };
    zrb::bench::RunInTurns(state, kSortFleet.operation, benchmark::kMillisecond, ours, reference);
    const double median = zrb::bench::MeasuredPairs()[kSortFleet.operation].ours;
    char line[120];
    std::snprintf(line, sizeof line, "%.1f ms (target < 200 ms)%s", median,
                  median < 200 ? "" : " MISSED");
    zrb::bench::SetExtra("Fleet table, sort 100,000 rows by mass", line);
}
BENCHMARK(SortFleetBench)
    ->Name("Fleet table, sort 100,000 rows by mass, in turns")
    ->Unit(benchmark::kMillisecond)
    ->UseManualTime()
    ->Iterations(10);

}  // namespace
