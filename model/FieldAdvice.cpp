#include "model/FieldAdvice.h"

#include <cmath>

#include "model/Numbers.h"

namespace zrb {

const std::vector<FieldAdvice>& ModelFieldAdvice() {
    // Ranges taken from the advice beside each box; where the window gives none, only
    // what makes physical sense (no negative power, a body that has inertia).
    static const std::vector<FieldAdvice> advice = {
        {&MotionModel::gasScaleFactor, 0.0, false, 1.0, "(approximate speed 0 to 600 km/h)",
         "Multiplier that scales the object's maximum speed."},
        {&MotionModel::maxTurnRate, 0.0, false, 360.0, "(degrees per second)",
         "The sharpest turn the vehicle can make."},
        {&MotionModel::maxAccel, 0.0, false, 1.0, "(0=slow - 1=fast)", "Maximum acceleration."},
        {&MotionModel::turnTightness, 0.001, false, 0.1,
         "(0.1 to 0.001 - 0.01 to 0.006 for trucks)", "How tightly the object turns."},
        {&MotionModel::mass, 0.0, true, std::nullopt, "(in Kg)", "The object's mass."},
        {&MotionModel::coeffStaticFriction, 0.0, false, 1.0, "(range 0-1, 0: easy to move)",
         "Static friction coefficient."},
        {&MotionModel::coeffKineticFriction, 0.0, false, 1.0, "(0-1, 0: easy to keep moving)",
         "Motion (kinetic) friction coefficient."},
        {&MotionModel::coefficientOfRestitution, 0.0, false, std::nullopt,
         "(0=sticky - 1=elastic - >1=dynamic)", "Coefficient of restitution."},
        {&MotionModel::horsePower, 0.0, false, std::nullopt, "(no negative power)",
         "The object's horsepower."},
        {&MotionModel::momentOfInertia, 0.0, true, std::nullopt, "(in kg m^2)",
         "Moment of inertia, in kg m^2; Calculate Inertia estimates it."},
        {&MotionModel::bumpyFactor, 0.0, false, 1.0, "(0=smooth - 1=very bumpy)",
         "How bumpy the ride is."},
    };
    return advice;
}

std::string AdvisedRangeText(const FieldAdvice& advice) {
    if (advice.min && advice.max) {
        return FormatGeneral15(*advice.min) + " to " + FormatGeneral15(*advice.max);
    }
    if (advice.min) {
        return advice.minExclusive ? "above " + FormatGeneral15(*advice.min)
                                   : FormatGeneral15(*advice.min) + " or more";
    }
    if (advice.max) {
        return FormatGeneral15(*advice.max) + " or less";
    }
    return "any";
}

bool WithinAdvice(const FieldAdvice& advice, double value) {
    if (std::isnan(value)) {
        return false;
    }
    if (advice.min && (advice.minExclusive ? value <= *advice.min : value < *advice.min)) {
        return false;
    }
    return !(advice.max && value > *advice.max);
}

}  // namespace zrb
