#pragma once
// The pairs of the benchmark table, their target ratios, and how their two sides are
// timed.

#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <map>
#include <string>
#include <vector>

namespace zrb::bench {

struct Pair {
    std::string operation;
    double target;
};

struct Extra {
    std::string label;
    std::string value;
};

inline std::vector<Pair>& Pairs() {
    static std::vector<Pair> pairs;
    return pairs;
}

// Lines printed under the table (figures that are not a time ratio).
inline std::vector<Extra>& Extras() {
    static std::vector<Extra> extras;
    return extras;
}

// Sets the line `label` under the table; a repetition replaces its earlier figure.
inline void SetExtra(const std::string& label, const std::string& value) {
    for (Extra& extra : Extras()) {
        if (extra.label == label) {
            extra.value = value;
            return;
        }
    }
    Extras().push_back({label, value});
}

// The median times of each pair's two sides, as RunInTurns measured them, by operation.
struct Measured {
    double ours;
    double reference;
    benchmark::TimeUnit unit;
};

inline std::map<std::string, Measured>& MeasuredPairs() {
    static std::map<std::string, Measured> measured;
    return measured;
}

inline double Median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    const std::size_t middle = values.size() / 2;
    return values.size() % 2 == 1 ? values[middle] : (values[middle - 1] + values[middle]) / 2;
}

// Runs the two sides of `operation` in turns, one call each per iteration, and records
// the medians of their times for the table, in `unit`. Both sides meet the machine in
// the same state, and the median is not moved by the odd call that waited for the disk
// or the scheduler, on either side. Each side returns its time in seconds, negative on failure.
// Samples are kept over the repetitions of the benchmark.
template <class Ours, class Reference>
void RunInTurns(benchmark::State& state, const std::string& operation, benchmark::TimeUnit unit,
                Ours&& ours, Reference&& reference) {
    static std::map<std::string, std::pair<std::vector<double>, std::vector<double>>> samples;
    auto& [oursTimes, referenceTimes] = samples[operation];
    bool oursFirst = true;
    for (auto _ : state) {
        // Each side goes first every other time: the second one can meet the first one's
        // work still going on (pages written back, caches filled).
        double mine = 0;
        double plain = 0;
        if (oursFirst) {
            mine = ours();
            plain = reference();
        } else {
            plain = reference();
            mine = ours();
        }
        oursFirst = !oursFirst;
        if (mine < 0 || plain < 0) {
            state.SkipWithError("the operation or its reference failed");
            return;
        }
        state.SetIterationTime(mine);
        oursTimes.push_back(mine);
        referenceTimes.push_back(plain);
    }
    const double scale = unit == benchmark::kMillisecond   ? 1e3
                         : unit == benchmark::kMicrosecond ? 1e6
                                                           : 1e9;
    MeasuredPairs()[operation] = {Median(oursTimes) * scale, Median(referenceTimes) * scale, unit};
}

// The time `step` takes, in seconds; negative when it returns false.
template <class Step>
double SecondsOf(Step&& step) {
    const auto start = std::chrono::steady_clock::now();
    if (!step()) {
        return -1;
    }
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

struct RegisterPair {
    RegisterPair(std::string name, double target) : operation(std::move(name)) {
        Pairs().push_back({operation, target});
    }
    std::string operation;
};

}  // namespace zrb::bench
