// The fleet workbench on 10,000 models: one field changed (preview, then apply) against
// `zrb set` on the same files; the comparison with a reference folder against reading
// both folders with the core reader; undoing the change against applying it.
//
// The changed files live in memory (tmpfs): 10,000 flushes to disk take half a minute
// and vary by more than the two sides differ; both sides flush alike.

#include <benchmark/benchmark.h>

#include <sstream>
#include <string>
#include <vector>

#include "BenchFolder.h"
#include "BenchTable.h"
#include "model/Fleet.h"
#include "model/FleetChange.h"
#include "model/FleetReference.h"
#include "model/ModelNames.h"
#include "platform/Paths.h"
#include "tools/zrb/Zrb.h"

namespace {

const zrb::bench::RegisterPair kChange("Workbench, change mass on 10,000 models (vs zrb set)", 1.3);
const zrb::bench::RegisterPair kCompare(
    "Workbench, compare 10,000 models with a reference (vs reading both)", 2.0);
const zrb::bench::RegisterPair kUndo("Workbench, undo that change (vs the change)", 1.3);

std::vector<std::string> SortedNames(const std::string& folder) {
    std::vector<std::string> names = zrb::SearchModelFolder(folder);
    zrb::SortByModelName(names);
    return names;
}

std::vector<zrb::ChangeTarget> Targets(const std::string& folder,
                                       const std::vector<std::string>& names) {
    std::vector<zrb::ChangeTarget> targets;
    targets.reserve(names.size());
    for (const std::string& name : names) {
        targets.push_back({zrb::JoinPath(folder, name), name, std::nullopt, nullptr});
    }
    return targets;
}

// A new mass each time, so that every call rewrites every file.
double NextMass() {
    static double mass = 1000;
    return mass += 1;
}

// Preview and apply of "mass = NextMass()" on every target, as the window does it.
bool ChangeMass(const std::vector<zrb::ChangeTarget>& targets, zrb::ChangeStep& step) {
    zrb::FleetChange change;
    change.edits.push_back({&zrb::ModelKeys()[4], zrb::FieldOp::Set, NextMass(), {}});
    const zrb::ChangePreview preview =
        zrb::PreviewChange(change, targets, [](std::size_t, std::size_t) { return true; });
    const zrb::ChangeOutcome outcome =
        zrb::ApplyChange(preview, step, [](std::size_t, std::size_t) { return true; });
    return outcome.Count(zrb::FileOutcome::Kind::Written) == targets.size();
}

bool ZrbSetMass(const std::string& folder) {
    std::ostringstream out;
    std::ostringstream err;
    return zrb::cli::ZrbMain({"set", folder, "mass=" + std::to_string(NextMass())}, out, err) == 0;
}

void ChangeBench(benchmark::State& state) {
    const std::string folder = zrb::bench::ModelFolder(10000, zrb::bench::MemoryRoot());
    const std::vector<zrb::ChangeTarget> targets = Targets(folder, SortedNames(folder));
    const auto ours = [&] {
        return zrb::bench::SecondsOf([&] {
            zrb::ChangeStep step;
            return ChangeMass(targets, step);
        });
    };
    const auto reference = [&] {
        return zrb::bench::SecondsOf([&] { return ZrbSetMass(folder); });
    };
    zrb::bench::RunInTurns(state, kChange.operation, benchmark::kMillisecond, ours, reference);
}
BENCHMARK(ChangeBench)
    ->Name("Workbench, change mass on 10,000 models, in turns")
    ->Unit(benchmark::kMillisecond)
    ->UseManualTime()
    ->Iterations(4);

void CompareBench(benchmark::State& state) {
    const std::string folder = zrb::bench::ModelFolder(10000);
    const std::string referenceFolder =
        zrb::bench::ModelFolder(10000, zrb::bench::BenchRoot() + "/reference");
    const std::vector<std::string> names = SortedNames(folder);
    const auto ours = [&] {
        return zrb::bench::SecondsOf([&] {
            // The table complete: the folder's rows and each one's reference state.
            const std::vector<zrb::FleetRow> rows = zrb::ReadFleet(folder, names);
            zrb::ReferenceComparison comparison;
            const zrb::Result compared =
                zrb::CompareWithReference(rows, referenceFolder, comparison);
            benchmark::DoNotOptimize(comparison);
            return compared.ok() && comparison.rows.size() == names.size() &&
                   comparison.missing.empty();
        });
    };
    const auto reference = [&] {
        return zrb::bench::SecondsOf([&] {
            return zrb::bench::ReadEachModel(folder, names) &&
                   zrb::bench::ReadEachModel(referenceFolder, SortedNames(referenceFolder));
        });
    };
    zrb::bench::RunInTurns(state, kCompare.operation, benchmark::kMillisecond, ours, reference);
}
BENCHMARK(CompareBench)
    ->Name("Workbench, compare 10,000 models with a reference, in turns")
    ->Unit(benchmark::kMillisecond)
    ->UseManualTime()
    ->Iterations(5);

void UndoBench(benchmark::State& state) {
    const std::string folder = zrb::bench::ModelFolder(10000, zrb::bench::MemoryRoot() + "/undo");
    const std::vector<zrb::ChangeTarget> targets = Targets(folder, SortedNames(folder));
    zrb::ChangeHistory history;
    const auto change = [&] {
        zrb::ChangeStep step;
        const bool changed = ChangeMass(targets, step);
        history.Record(std::move(step));
        return changed;
    };
    // Undo as the window does it: which files were changed outside, then the undo.
    const auto ours = [&] {
        if (!history.CanUndo() && !change()) {
            return -1.0;
        }
        return zrb::bench::SecondsOf([&] {
            const bool untouched = history.ChangedOutside(false).empty();
            const zrb::ChangeOutcome outcome = history.Undo(zrb::OutsideChange::Skip);
            return untouched && outcome.Count(zrb::FileOutcome::Kind::Written) == targets.size();
        });
    };
    const auto reference = [&] { return zrb::bench::SecondsOf(change); };
    zrb::bench::RunInTurns(state, kUndo.operation, benchmark::kMillisecond, ours, reference);
}
BENCHMARK(UndoBench)
    ->Name("Workbench, undo that change, in turns")
    ->Unit(benchmark::kMillisecond)
    ->UseManualTime()
    ->Iterations(4);

}  // namespace
