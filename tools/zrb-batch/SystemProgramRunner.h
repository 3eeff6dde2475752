#pragma once
// Starts a script's programs for real, through the platform layer: no shell sees the
// arguments.

#include "tools/zrb-batch/BatchRunner.h"

namespace zrb {

class SystemProgramRunner : public ProgramRunner {
  public:
    Result Run(const std::string& program, const std::vector<std::string>& args,
               const std::string& workingDir) const override;
    std::string FindOnPath(const std::string& name) const override;
    Result RunCapturing(const std::string& program, const std::vector<std::string>& args,
                        const std::string& workingDir, Ended& ended) const override;
};

}  // namespace zrb
