// Starts the pack script through the project's runner, detached, never through a shell.

#include <string>
#include <vector>

#include "model/Workspace.h"
#include "pack/PackOutcome.h"
#include "pack/PackPlan.h"
#include "pack/ScriptLauncher.h"
#include "platform/Platform.h"
#include "platform/Text.h"

namespace zrb {

Result RunnerLauncher::CheckReady(const std::string& startFolder) {
    const std::string runner = JoinPath(startFolder, kRunnerName);
    if (!IsRunnable(runner)) {
        return Result::Failure("The script runner was not found: " + Quote(runner) +
                               " is missing or cannot be run. It must lie in the folder the "
                               "editor was started from.");
    }
    return Result::Success();
}

Result RunnerLauncher::Launch(const ScriptLaunch& launch) {
    if (Result ready = CheckReady(launch.startFolder); !ready) {
        return ready;
    }
    const std::string runner = JoinPath(launch.startFolder, kRunnerName);
    const std::string searchPath =
        options_.searchPath ? *options_.searchPath : Environment("PATH").value_or("");
    const std::string terminal = FindOnSearchPath("x-terminal-emulator", searchPath);

    // A report left from an earlier run would read as this run's.
    RemoveFileIfPresent(JoinPath(launch.workingFolder, kReportName));
    const std::string report = "--report=" + std::string(kReportName);
    const std::string lock = "--lock=" + std::string(kLockName);
    ProgramRun run;
    if (!terminal.empty()) {
        // --pause keeps the terminal window open until the user has read it.
        run.program = terminal;
        run.args = {"-e", runner, "--pause", report, lock, launch.scriptName};
    } else {
        run.program = runner;
        run.args = {report, lock, launch.scriptName};
    }
    run.workingFolder = launch.workingFolder;
    run.noInput = true;
    // The log takes the output only where no terminal window shows it; with a terminal
    // it is neither created nor emptied, and the terminal's own chatter is dropped.
    const bool logged = terminal.empty();
    const std::string logPath = JoinPath(launch.workingFolder, kScriptLogName);
    run.outputFile = logged ? logPath : std::string();
    run.detach = !options_.wait;

    int status = 0;
    if (const std::optional<RunFailure> failed = RunProgram(run, &status)) {
        switch (failed->step) {
            case RunStep::Folder:
                return Result::Failure(
                    "Could not run the pack script in the archive folder " +
                    Quote(launch.workingFolder.empty() ? "/" : launch.workingFolder) + " (" +
                    failed->reason + ").");
            case RunStep::Output:
                return Result::Failure("Could not create the pack log " + Quote(logPath) + " (" +
                                       failed->reason + ").");
            case RunStep::Start:
                return Result::Failure("Could not start " + Quote(run.program) + " (" +
                                       failed->reason + ").");
        }
    }
    if (options_.wait && status != 0) {
        return Result::Failure("The pack script " + Quote(launch.scriptPath) + " did not complete" +
                               (logged ? "; see " + Quote(logPath) + "." : "."));
    }
    return Result::Success();
}

Result RunnerLauncher::CheckFolderFree(const std::string& workingFolder) {
    if (IsFileLocked(JoinPath(workingFolder, kLockName))) {
        return Result::Failure(StillRunningMessage(workingFolder));
    }
    return Result::Success();
}

ScriptLauncher& SystemScriptLauncher() {
    static RunnerLauncher launcher;
    return launcher;
}

}  // namespace zrb
