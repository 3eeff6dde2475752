// Windows runs the pack script itself: the command interpreter, started through the shell
// with the archive folder as its working directory, in a console window of its own.

#include "pack/ScriptLauncher.h"
#include "platform/Platform.h"
#include "platform/Text.h"

namespace zrb {

namespace {

class ShellLauncher final : public ScriptLauncher {
  public:
    Result CheckReady(const std::string& /*startFolder*/) override { return Result::Success(); }
    Result Launch(const ScriptLaunch& launch) override {
        // /k keeps the console open once the script has run, so that the archiver's own
        // words can be read; the editor learns the script's end when it is closed.
        if (Result opened =
                StartConsole("/k .\\" + launch.scriptName, launch.workingFolder, process_);
            !opened) {
            return Result::Failure("Could not start the pack script " + Quote(launch.scriptPath) +
                                   " (" + opened.message() + ").");
        }
        return Result::Success();
    }
    std::intptr_t TakeStartedProcess() override {
        const std::intptr_t process = process_;
        process_ = 0;
        return process;
    }

  private:
    std::intptr_t process_ = 0;
};

}  // namespace

ScriptLauncher& SystemScriptLauncher() {
    static ShellLauncher launcher;
    return launcher;
}

}  // namespace zrb
