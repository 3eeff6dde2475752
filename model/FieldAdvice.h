#pragma once
// The advice the window shows beside each of the eleven fields, as ranges: the checker
// warns about values outside them.

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "model/ModelFile.h"

namespace zrb {

// The range the window's advice gives for a field; a bound is absent where the advice
// sets none.
struct FieldAdvice {
    double MotionModel::*field;
    std::optional<double> min;
    bool minExclusive;  // min itself is outside the range (mass must be above 0)
    std::optional<double> max;
    std::string_view advice;   // the text the window shows, or a short reason
    std::string_view meaning;  // what the field does, in a few words
};

// The advice for each of the eleven fields, in the order of ModelKeys().
const std::vector<FieldAdvice>& ModelFieldAdvice();

// Whether `value` lies in the advised range of `advice`.
bool WithinAdvice(const FieldAdvice& advice, double value);

// The advised range in words: "0 to 1", "above 0", "0 or more".
std::string AdvisedRangeText(const FieldAdvice& advice);

}  // namespace zrb
