#include "tools/zrb-batch/SystemProgramRunner.h"

#include "platform/Platform.h"

namespace zrb {

Result SystemProgramRunner::Run(const std::string& program, const std::vector<std::string>& args,
                                const std::string& workingDir) const {
    ProgramRun run;
    run.program = program;
    run.args = args;
    run.workingFolder = workingDir;
    if (const std::optional<RunFailure> failed = RunProgram(run)) {
        return Result::Failure("cannot run " + program + ": " + failed->reason);
    }
    return Result::Success();
}

std::string SystemProgramRunner::FindOnPath(const std::string& name) const {
    return FindOnSearchPath(name, Environment("PATH").value_or(""));
}

Result SystemProgramRunner::RunCapturing(const std::string& program,
                                         const std::vector<std::string>& args,
                                         const std::string& workingDir, Ended& ended) const {
    ProgramRun run;
    run.program = program;
    run.args = args;
    run.workingFolder = workingDir;
    ended = {};
    if (const std::optional<RunFailure> failed =
            RunProgramCapturing(run, &ended.exitStatus, ended.output)) {
        return Result::Failure("cannot run " + program + ": " + failed->reason);
    }
    return Result::Success();
}

}  // namespace zrb
