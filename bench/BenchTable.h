#pragma once
// The pairs of the benchmark table and their target ratios.

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

struct RegisterPair {
    RegisterPair(std::string operation, double target) {
        Pairs().push_back({std::move(operation), target});
    }
};

}  // namespace zrb::bench
