#pragma once
// The small city car that the file format is explained with: 588 bytes saved with
// SaveChanges, 592 with SaveAsNew.

#include "model/ModelFile.h"

namespace zrb::testing {

inline MotionModel WorkedExample() {
    MotionModel m;
    m.description = "//Small city car";
    m.gasScaleFactor = 0.25;
    m.maxTurnRate = 60;
    m.maxAccel = 0.4;
    m.turnTightness = 0.02;
    m.mass = 950;
    m.coeffStaticFriction = 0.7;
    m.coeffKineticFriction = 0.5;
    m.coefficientOfRestitution = 0.3;
    m.horsePower = 75;
    m.momentOfInertia = 520;
    m.bumpyFactor = 0.1;
    return m;
}

}  // namespace zrb::testing
