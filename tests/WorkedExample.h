#pragma once
// The small city car that the file format is explained with: 588 bytes saved with
// SaveChanges, 592 with SaveAsNew.

#include <string>
#include <utility>

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

// The worked example under another description and mass, every other field valid: the
// models tests tell apart.
inline MotionModel ExampleModel(std::string description, double mass = 950) {
    MotionModel m = WorkedExample();
    m.description = std::move(description);
    m.mass = mass;
    return m;
}

// `model` with one field set to `value`.
inline MotionModel With(MotionModel model, double MotionModel::*field, double value) {
    model.*field = value;
    return model;
}

}  // namespace zrb::testing
