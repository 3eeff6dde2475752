// Windows runs the pack script itself: opened through the shell, with the archive folder
// as its working directory, in a console window of its own.

#include "pack/ScriptLauncher.h"
#include "platform/Platform.h"
#include "platform/Text.h"

namespace zrb {

namespace {

class ShellLauncher final : public ScriptLauncher {
  public:
    Result CheckReady(const std::string& /*startFolder*/) override { return Result::Success(); }
    Result Launch(const ScriptLaunch& launch) override {
        if (Result opened = OpenWithShell(launch.scriptPath, launch.workingFolder); !opened) {
            return Result::Failure("Could not start the pack script " + Quote(launch.scriptPath) +
                                   " (" + opened.message() + ").");
        }
        return Result::Success();
    }
};

}  // namespace

ScriptLauncher& SystemScriptLauncher() {
    static ShellLauncher launcher;
    return launcher;
}

}  // namespace zrb
