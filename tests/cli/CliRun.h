#pragma once
// Runs zrb commands in-process with string streams, and the models the tests write.

#include <sstream>
#include <string>
#include <vector>

#include "model/ModelFile.h"
#include "tests/WorkedExample.h"
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

}  // namespace zrb::testing
