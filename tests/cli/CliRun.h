#pragma once
// Runs zrb commands in-process with string streams, and the models the tests write.

#include <sstream>
#include <string>
#include <vector>

#include "model/ModelFile.h"
#include "tools/zrb/Zrb.h"

namespace zrb::testing {

struct Run {
    int status = -1;
    std::string out;
    std::string err;
};

inline Run Zrb(const std::vector<std::string>& args) {
    std::ostringstream out;
    std::ostringstream err;
    Run run;
    run.status = zrb::cli::ZrbMain(args, out, err);
    run.out = out.str();
    run.err = err.str();
    return run;
}

inline MotionModel SmallCityCar() {
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
