// Starts the pack script through the project's runner, detached, never through a shell.

#include <fcntl.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <string_view>
#include <vector>

#include "model/Workspace.h"
#include "pack/PackPlan.h"
#include "pack/ScriptLauncher.h"

#ifndef CLOSE_RANGE_CLOEXEC
#define CLOSE_RANGE_CLOEXEC (1U << 2)
#endif

namespace zrb {

namespace {

std::string Quote(const std::string& text) {
    return "\"" + text + "\"";
}

std::string Reason(int error) {
    return std::strerror(error);
}

std::string FolderForSystem(const std::string& folder) {
    return folder.empty() ? "/" : folder;
}

std::string FindOnPath(std::string_view program, std::string_view searchPath) {
    while (!searchPath.empty()) {
        const std::size_t colon = searchPath.find(':');
        const std::string_view folder = searchPath.substr(0, colon);
        searchPath =
            colon == std::string_view::npos ? std::string_view{} : searchPath.substr(colon + 1);
        // An empty entry would mean the current directory, which is nobody's choice here.
        if (folder.empty()) {
            continue;
        }
        std::string candidate = JoinPath(folder, program);
        if (::access(candidate.c_str(), X_OK) == 0) {
            return candidate;
        }
    }
    return {};
}

// What the started child tells the editor when it could not get as far as exec.
struct ChildFailure {
    int step;  // 0: chdir, 1: fork, 2: exec
    int error;
};

[[noreturn]] void ChildFail(int pipeFd, int step) {
    const ChildFailure failure{step, errno};
    // Nothing more can be done if even this fails; the editor then reports no failure.
    [[maybe_unused]] const ssize_t written = ::write(pipeFd, &failure, sizeof failure);
    ::_exit(127);
}

// Runs in the forked child: only async-signal-safe calls, everything prepared before.
[[noreturn]] void RunChild(const char* folder, int input, int output, char* const* argv, int pipeFd,
                           bool detach) {
    if (detach) {
        // A session of its own: closing the editor does not end the script. The
        // intermediate child exits at once and the editor reaps it, so the runner
        // becomes init's child and leaves no zombie.
        ::setsid();
        const pid_t grandchild = ::fork();
        if (grandchild < 0) {
            ChildFail(pipeFd, 1);
        }
        if (grandchild > 0) {
            ::_exit(0);
        }
    }
    // The editor's blocked and ignored signals must not reach the runner.
    sigset_t none;
    ::sigemptyset(&none);
    ::sigprocmask(SIG_SETMASK, &none, nullptr);
    struct sigaction defaults {};
    defaults.sa_handler = SIG_DFL;
    ::sigaction(SIGPIPE, &defaults, nullptr);

    if (::chdir(folder) != 0) {
        ChildFail(pipeFd, 0);
    }
    ::dup2(input, STDIN_FILENO);
    ::dup2(output, STDOUT_FILENO);
    ::dup2(output, STDERR_FILENO);
    // Whatever else the editor has open stays with the editor.
    ::close_range(3, ~0U, CLOSE_RANGE_CLOEXEC);
    ::fcntl(pipeFd, F_SETFD, FD_CLOEXEC);
    ::execv(argv[0], argv);
    ChildFail(pipeFd, 2);
}

}  // namespace

Result RunnerLauncher::CheckReady(const std::string& startFolder) {
    const std::string runner = JoinPath(startFolder, kRunnerName);
    if (::access(runner.c_str(), X_OK) != 0) {
        return Result::Failure("The script runner was not found: " + Quote(runner) +
                               " is missing or cannot be run (" + Reason(errno) +
                               "). It must lie in the folder the editor was started from.");
    }
    return Result::Success();
}

Result RunnerLauncher::Launch(const ScriptLaunch& launch) {
    if (Result ready = CheckReady(launch.startFolder); !ready) {
        return ready;
    }
    const std::string runner = JoinPath(launch.startFolder, kRunnerName);
    std::string searchPath;
    if (options_.searchPath) {
        searchPath = *options_.searchPath;
    } else if (const char* path = std::getenv("PATH")) {
        searchPath = path;
    }
    const std::string terminal = FindOnPath("x-terminal-emulator", searchPath);
    std::vector<std::string> args;
    if (!terminal.empty()) {
        // --pause keeps the terminal window open until the user has read it.
        args = {terminal, "-e", runner, "--pause", launch.scriptName};
    } else {
        args = {runner, launch.scriptName};
    }
    std::vector<char*> argv;
    for (std::string& arg : args) {
        argv.push_back(arg.data());
    }
    argv.push_back(nullptr);

    const std::string folder = FolderForSystem(launch.workingFolder);
    // The log takes the output only where no terminal window shows it; with a terminal
    // it is neither created nor emptied, and the terminal's own chatter is dropped.
    const bool logged = terminal.empty();
    const std::string logPath = JoinPath(launch.workingFolder, kScriptLogName);
    const int log = logged ? ::open(logPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0666)
                           : ::open("/dev/null", O_WRONLY | O_CLOEXEC);
    if (log < 0) {
        return Result::Failure((logged ? "Could not create the pack log " + Quote(logPath)
                                       : std::string("Could not open /dev/null")) +
                               " (" + Reason(errno) + ").");
    }
    const int input = ::open("/dev/null", O_RDONLY | O_CLOEXEC);
    int failurePipe[2];
    if (input < 0 || ::pipe2(failurePipe, O_CLOEXEC) != 0) {
        const int error = errno;
        ::close(log);
        if (input >= 0) {
            ::close(input);
        }
        return Result::Failure("Could not start the pack script (" + Reason(error) + ").");
    }

    const pid_t child = ::fork();
    if (child == 0) {
        ::close(failurePipe[0]);
        RunChild(folder.c_str(), input, log, argv.data(), failurePipe[1], !options_.wait);
    }
    const int forkError = errno;
    ::close(failurePipe[1]);
    ::close(log);
    ::close(input);
    if (child < 0) {
        ::close(failurePipe[0]);
        return Result::Failure("Could not start the pack script (" + Reason(forkError) + ").");
    }

    // The pipe closes without a word once exec succeeded (it is close-on-exec), or
    // carries the step that failed.
    ChildFailure failure{};
    ssize_t got;
    do {
        got = ::read(failurePipe[0], &failure, sizeof failure);
    } while (got < 0 && errno == EINTR);
    ::close(failurePipe[0]);

    int status = 0;
    while (::waitpid(child, &status, 0) < 0 && errno == EINTR) {
    }

    if (got == static_cast<ssize_t>(sizeof failure)) {
        switch (failure.step) {
            case 0:
                return Result::Failure("Could not run the pack script in the archive folder " +
                                       Quote(folder) + " (" + Reason(failure.error) + ").");
            case 1:
                return Result::Failure("Could not start the pack script (" + Reason(failure.error) +
                                       ").");
            default:
                return Result::Failure("Could not start " + Quote(args.front()) + " (" +
                                       Reason(failure.error) + ").");
        }
    }
    if (options_.wait && !(WIFEXITED(status) && WEXITSTATUS(status) == 0)) {
        return Result::Failure("The pack script " + Quote(launch.scriptPath) + " did not complete" +
                               (logged ? "; see " + Quote(logPath) + "." : "."));
    }
    return Result::Success();
}

ScriptLauncher& SystemScriptLauncher() {
    static RunnerLauncher launcher;
    return launcher;
}

}  // namespace zrb
