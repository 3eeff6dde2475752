#pragma once
// Starts a script's programs for real, through the platform layer: no shell sees the
// arguments.

#include <cstdint>
#include <filesystem>
#include <set>

#include "platform/Platform.h"
#include "tools/zrb-batch/BatchRunner.h"

namespace zrb {

class SystemProgramRunner : public ProgramRunner {
  public:
    Result Run(const std::string& program, const std::vector<std::string>& args,
               const std::string& workingDir) const override;
    std::string FindOnPath(const std::string& name) const override;
    Result RunCapturing(const std::string& program, const std::vector<std::string>& args,
                        const std::string& workingDir, Ended& ended) const override;
    // Runs our archiver's calls through one process of it ("sqzip --serve-runner"), kept
    // running while the calls name the same program file, unchanged, and folder. An
    // archiver that does not answer as one that serves (an older build) runs a process
    // per call, as does a call whose answer the served process did not give.
    Result RunArchiverCapturing(const std::string& program, const std::vector<std::string>& args,
                                const std::string& workingDir, Ended& ended) const override;
    void EndArchiver() const override;

  private:
    bool StartServing(const std::string& program, const std::string& workingDir) const;
    bool Serve(const std::vector<std::string>& args, Ended& ended) const;

    mutable ServedProgram served_;
    mutable std::string servedProgram_;
    mutable std::string servedFolder_;
    mutable std::filesystem::file_time_type servedChanged_{};
    mutable std::uintmax_t servedSize_ = 0;
    // Archivers that did not answer as ones that serve: not asked again.
    mutable std::set<std::string> notServing_;
};

}  // namespace zrb
