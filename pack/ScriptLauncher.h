#pragma once
// Starting the pack script. The editor neither waits for the script nor watches it; the
// platform decides how it is run. Tests put in their own launcher.

#include <optional>
#include <string>
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
};

// The platform's launcher.
ScriptLauncher& SystemScriptLauncher();

#ifndef _WIN32
// Linux has no shell action that runs a batch script: the project's runner `zrb-batch`
// from the start folder runs it, detached from the editor, in a terminal window
// (x-terminal-emulator -e zrb-batch --pause SCRIPT) when one is on the search path, or
// else without a window, its output going to "Install_ZRB.log" in the working folder.
// Never through a shell.
inline constexpr const char* kRunnerName = "zrb-batch";

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

  private:
    RunnerLaunchOptions options_;
};
#endif

}  // namespace zrb
