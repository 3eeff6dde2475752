#pragma once
// Starting the pack script, in a window of its own, without blocking the editor, which
// then watches it (see PackWatch.h); the platform decides how it is run. Tests put in
// their own launcher.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <utility>

#include "platform/Result.h"

namespace zrb {

struct ScriptLaunch {
    std::string startFolder;    // the editor's start folder, where its helpers lie
    std::string workingFolder;  // the archive folder: the script's names are relative to it
    std::string scriptPath;     // the script's full path, inside workingFolder
    std::string scriptName;     // its bare name, "Install_ZRB.bat"

    bool operator==(const ScriptLaunch&) const = default;
};

class ScriptLauncher {
  public:
    virtual ~ScriptLauncher() = default;
    // Whether a script can be started at all (for example, whether the script runner
    // lies in the start folder). Asked before any file is copied or written.
    virtual Result CheckReady(const std::string& startFolder) = 0;
    // Starts the script with workingFolder as its working directory and returns at
    // once. A failure names what could not be started and why.
    virtual Result Launch(const ScriptLaunch& launch) = 0;
    // Fails, with a message for the user, while another pack's script still runs in
    // `workingFolder`. Asked before any file is copied or written.
    virtual Result CheckFolderFree(const std::string& /*workingFolder*/) {
        return Result::Success();
    }
    // The process of the script Launch just started, for the caller to wait for and
    // close (on Windows its handle); 0 where the launcher keeps none.
    virtual std::intptr_t TakeStartedProcess() { return 0; }
};

// The platform's launcher.
ScriptLauncher& SystemScriptLauncher();

#ifndef _WIN32
// Linux has no shell action that runs a batch script: the project's runner `zrb-batch`
// from the start folder runs it, detached from the editor, in a terminal window
// (x-terminal-emulator -e zrb-batch --pause SCRIPT) when one is on the search path, or
// else without a window, its output going to "Install_ZRB.log" in the working folder.
// Never through a shell. The runner reports each archiver call to "Install_ZRB.result"
// and holds "Install_ZRB.lock" while it runs, both in the working folder.
inline constexpr const char* kRunnerName = "zrb-batch";
// Beside the script: the runner's report of each archiver call, and the lock it holds
// while it runs, which keeps a second pack out of the folder.
inline constexpr std::string_view kReportName = "Install_ZRB.result";
inline constexpr std::string_view kLockName = "Install_ZRB.lock";

struct RunnerLaunchOptions {
    // Folders searched for x-terminal-emulator, ':'-separated; unset: $PATH at launch.
    // Empty: never a terminal.
    std::optional<std::string> searchPath;
    // Run the script to its end before Launch returns, as the editor's own child, and
    // fail when the runner reports failure (tests and batch use). Not detached then.
    bool wait = false;
};

class RunnerLauncher final : public ScriptLauncher {
  public:
    explicit RunnerLauncher(RunnerLaunchOptions options = {}) : options_(std::move(options)) {}
    Result CheckReady(const std::string& startFolder) override;
    Result Launch(const ScriptLaunch& launch) override;
    Result CheckFolderFree(const std::string& workingFolder) override;

  private:
    RunnerLaunchOptions options_;
};
#endif

}  // namespace zrb
