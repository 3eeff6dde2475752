#pragma once
// Starts programs with fork and execv: no shell sees the arguments.

#include "tools/zrb-batch/BatchRunner.h"

namespace zrb {

class PosixProgramRunner : public ProgramRunner {
  public:
    Result Run(const std::string& program, const std::vector<std::string>& args,
               const std::string& workingDir) const override;
    std::string FindOnPath(const std::string& name) const override;
};

}  // namespace zrb
