// Programs are started without a shell: posix_spawn for those waited for, and a double
// fork for detached ones, which must not stay this process's children.

#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "platform/Platform.h"

#ifndef CLOSE_RANGE_CLOEXEC
#define CLOSE_RANGE_CLOEXEC (1U << 2)
#endif

extern char** environ;

namespace zrb {

namespace {

std::string Reason(int error) {
    return std::strerror(error);
}

// A descriptor closed when it goes out of scope.
class Descriptor {
  public:
    explicit Descriptor(int fd = -1) : fd_(fd) {}
    Descriptor(const Descriptor&) = delete;
    Descriptor& operator=(const Descriptor&) = delete;
    ~Descriptor() {
        if (fd_ >= 0) {
            ::close(fd_);
        }
    }
    int get() const { return fd_; }

  private:
    int fd_;
};

// What the detached child tells its parent when it could not get as far as exec.
struct ChildFailure {
    RunStep step;
    int error;
};

[[noreturn]] void ChildFail(int pipeFd, RunStep step) {
    const ChildFailure failure{step, errno};
    // Nothing more can be done if even this fails; the parent then reports no failure.
    [[maybe_unused]] const ssize_t written = ::write(pipeFd, &failure, sizeof failure);
    ::_exit(127);
}

// Runs in the forked child: only async-signal-safe calls, everything prepared before.
[[noreturn]] void RunDetachedChild(const char* folder, int input, int output, char* const* argv,
                                   int pipeFd) {
    // A session of its own: closing this program does not end the other one. The
    // intermediate child exits at once and is reaped, so the program becomes init's
    // child and leaves no zombie.
    ::setsid();
    const pid_t grandchild = ::fork();
    if (grandchild < 0) {
        ChildFail(pipeFd, RunStep::Start);
    }
    if (grandchild > 0) {
        ::_exit(0);
    }
    // This process's blocked and ignored signals must not reach the program.
    sigset_t none;
    ::sigemptyset(&none);
    ::sigprocmask(SIG_SETMASK, &none, nullptr);
    struct sigaction defaults {};
    defaults.sa_handler = SIG_DFL;
    ::sigaction(SIGPIPE, &defaults, nullptr);

    if (::chdir(folder) != 0) {
        ChildFail(pipeFd, RunStep::Folder);
    }
    if (input >= 0) {
        ::dup2(input, STDIN_FILENO);
    }
    if (output >= 0) {
        ::dup2(output, STDOUT_FILENO);
        ::dup2(output, STDERR_FILENO);
    }
    // Whatever else this process has open stays with it.
    ::close_range(3, ~0U, CLOSE_RANGE_CLOEXEC);
    ::fcntl(pipeFd, F_SETFD, FD_CLOEXEC);
    ::execv(argv[0], argv);
    ChildFail(pipeFd, RunStep::Start);
}

std::optional<RunFailure> RunDetached(const char* folder, int input, int output,
                                      char* const* argv) {
    int failurePipe[2];
    if (::pipe2(failurePipe, O_CLOEXEC) != 0) {
        return RunFailure{RunStep::Start, Reason(errno)};
    }
    const pid_t child = ::fork();
    if (child == 0) {
        ::close(failurePipe[0]);
        RunDetachedChild(folder, input, output, argv, failurePipe[1]);
    }
    const int forkError = errno;
    ::close(failurePipe[1]);
    if (child < 0) {
        ::close(failurePipe[0]);
        return RunFailure{RunStep::Start, Reason(forkError)};
    }
    // The pipe closes without a word once exec succeeded (it is close-on-exec), or
    // carries the step that failed.
    ChildFailure failure{};
    ssize_t got;
    do {
        got = ::read(failurePipe[0], &failure, sizeof failure);
    } while (got < 0 && errno == EINTR);
    ::close(failurePipe[0]);
    while (::waitpid(child, nullptr, 0) < 0 && errno == EINTR) {
    }
    if (got == static_cast<ssize_t>(sizeof failure)) {
        return RunFailure{failure.step, Reason(failure.error)};
    }
    return std::nullopt;
}

// Starts the program, its standard output and error going to `output` (unless -1);
// `errors`, when not -1, takes its standard error instead.
std::optional<RunFailure> Spawn(const char* folder, int input, int output, char* const* argv,
                                pid_t& child, int errors = -1) {
    // posix_spawn reports a failed change of folder like a failed start; looking first
    // tells the two apart for the message.
    struct stat info {};
    if (::stat(folder, &info) != 0) {
        return RunFailure{RunStep::Folder, Reason(errno)};
    }
    if (!S_ISDIR(info.st_mode)) {
        return RunFailure{RunStep::Folder, Reason(ENOTDIR)};
    }
    posix_spawn_file_actions_t actions;
    posix_spawnattr_t attributes;
    ::posix_spawn_file_actions_init(&actions);
    ::posix_spawnattr_init(&attributes);
    ::posix_spawn_file_actions_addchdir_np(&actions, folder);
    if (input >= 0) {
        ::posix_spawn_file_actions_adddup2(&actions, input, STDIN_FILENO);
    }
    if (output >= 0) {
        ::posix_spawn_file_actions_adddup2(&actions, output, STDOUT_FILENO);
        ::posix_spawn_file_actions_adddup2(&actions, output, STDERR_FILENO);
    }
    if (errors >= 0) {
        ::posix_spawn_file_actions_adddup2(&actions, errors, STDERR_FILENO);
    }
    ::posix_spawn_file_actions_addclosefrom_np(&actions, 3);
    sigset_t none;
    ::sigemptyset(&none);
    sigset_t pipeSignal;
    ::sigemptyset(&pipeSignal);
    ::sigaddset(&pipeSignal, SIGPIPE);
    ::posix_spawnattr_setsigmask(&attributes, &none);
    ::posix_spawnattr_setsigdefault(&attributes, &pipeSignal);
    ::posix_spawnattr_setflags(&attributes, POSIX_SPAWN_SETSIGMASK | POSIX_SPAWN_SETSIGDEF);
    child = 0;
    const int error = ::posix_spawn(&child, argv[0], &actions, &attributes, argv, environ);
    ::posix_spawn_file_actions_destroy(&actions);
    ::posix_spawnattr_destroy(&attributes);
    if (error != 0) {
        return RunFailure{RunStep::Start, Reason(error)};
    }
    return std::nullopt;
}

void Wait(pid_t child, int* exitStatus) {
    int status = 0;
    while (::waitpid(child, &status, 0) < 0 && errno == EINTR) {
    }
    if (exitStatus != nullptr) {
        *exitStatus = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
    }
}

std::optional<RunFailure> RunAndWait(const char* folder, int input, int output, char* const* argv,
                                     int* exitStatus) {
    pid_t child = 0;
    if (std::optional<RunFailure> failed = Spawn(folder, input, output, argv, child)) {
        return failed;
    }
    Wait(child, exitStatus);
    return std::nullopt;
}

}  // namespace

// The program and its arguments as execv takes them, made before fork: after it only
// async-signal-safe calls are allowed.
class CommandLine {
  public:
    explicit CommandLine(const ProgramRun& run) : strings_{run.program} {
        strings_.insert(strings_.end(), run.args.begin(), run.args.end());
        for (std::string& s : strings_) {
            pointers_.push_back(s.data());
        }
        pointers_.push_back(nullptr);
    }
    char** argv() { return pointers_.data(); }

  private:
    std::vector<std::string> strings_;
    std::vector<char*> pointers_;
};

std::optional<RunFailure> RunProgram(const ProgramRun& run, int* exitStatus) {
    CommandLine command(run);
    char** argv = command.argv();
    const std::string folder = run.workingFolder.empty() ? "/" : run.workingFolder;

    Descriptor input(run.noInput ? ::open("/dev/null", O_RDONLY | O_CLOEXEC) : -1);
    if (run.noInput && input.get() < 0) {
        return RunFailure{RunStep::Start, Reason(errno)};
    }
    int outputFd = -1;
    if (run.outputFile) {
        outputFd = run.outputFile->empty() ? ::open("/dev/null", O_WRONLY | O_CLOEXEC)
                                           : ::open(run.outputFile->c_str(),
                                                    O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0666);
        if (outputFd < 0) {
            return RunFailure{RunStep::Output, Reason(errno)};
        }
    }
    const Descriptor output(outputFd);
    return run.detach ? RunDetached(folder.c_str(), input.get(), output.get(), argv)
                      : RunAndWait(folder.c_str(), input.get(), output.get(), argv, exitStatus);
}

std::optional<RunFailure> RunProgramCapturing(const ProgramRun& run, int* exitStatus,
                                              std::string& output) {
    output.clear();
    CommandLine command(run);
    char** argv = command.argv();
    const std::string folder = run.workingFolder.empty() ? "/" : run.workingFolder;
    Descriptor input(run.noInput ? ::open("/dev/null", O_RDONLY | O_CLOEXEC) : -1);
    int ends[2];
    if (::pipe2(ends, O_CLOEXEC) != 0) {
        return RunFailure{RunStep::Output, Reason(errno)};
    }
    const Descriptor reading(ends[0]);
    pid_t child = 0;
    std::optional<RunFailure> failed;
    {
        // Closed here once the child has its copy, so that reading ends with the child.
        const Descriptor writing(ends[1]);
        failed = Spawn(folder.c_str(), input.get(), writing.get(), argv, child);
    }
    if (failed) {
        return failed;
    }
    char buffer[4096];
    for (;;) {
        const ssize_t got = ::read(reading.get(), buffer, sizeof buffer);
        if (got < 0 && errno == EINTR) {
            continue;
        }
        if (got <= 0) {
            break;
        }
        output.append(buffer, static_cast<std::size_t>(got));
    }
    Wait(child, exitStatus);
    return std::nullopt;
}

ServedProgram::~ServedProgram() {
    End();
}

std::optional<RunFailure> ServedProgram::Start(const ProgramRun& run) {
    End();
    CommandLine command(run);
    const std::string folder = run.workingFolder.empty() ? "/" : run.workingFolder;
    // A socket rather than two pipes: writing to a program that has ended then fails
    // with an error instead of a signal that would end this process.
    int ends[2];
    if (::socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, ends) != 0) {
        return RunFailure{RunStep::Output, Reason(errno)};
    }
    const Descriptor nothing(::open("/dev/null", O_WRONLY | O_CLOEXEC));
    pid_t child = 0;
    std::optional<RunFailure> failed;
    {
        const Descriptor theirs(ends[1]);
        failed =
            Spawn(folder.c_str(), theirs.get(), theirs.get(), command.argv(), child, nothing.get());
    }
    if (failed) {
        ::close(ends[0]);
        return failed;
    }
    connection_ = ends[0];
    child_ = child;
    received_.clear();
    return std::nullopt;
}

bool ServedProgram::Send(std::string_view bytes) {
    while (connection_ >= 0 && !bytes.empty()) {
        const ssize_t sent = ::send(connection_, bytes.data(), bytes.size(), MSG_NOSIGNAL);
        if (sent < 0 && errno == EINTR) {
            continue;
        }
        if (sent <= 0) {
            return false;
        }
        bytes.remove_prefix(static_cast<std::size_t>(sent));
    }
    return connection_ >= 0;
}

bool ServedProgram::Fill() {
    char buffer[4096];
    for (;;) {
        const ssize_t got = ::read(connection_, buffer, sizeof buffer);
        if (got < 0 && errno == EINTR) {
            continue;
        }
        if (got <= 0) {
            return false;
        }
        received_.append(buffer, static_cast<std::size_t>(got));
        return true;
    }
}

bool ServedProgram::ReceiveLine(std::string& line) {
    if (connection_ < 0) {
        return false;
    }
    std::size_t end;
    while ((end = received_.find('\n')) == std::string::npos) {
        if (!Fill()) {
            return false;
        }
    }
    line = received_.substr(0, end);
    received_.erase(0, end + 1);
    return true;
}

bool ServedProgram::Receive(std::size_t count, std::string& bytes) {
    if (connection_ < 0) {
        return false;
    }
    while (received_.size() < count) {
        if (!Fill()) {
            return false;
        }
    }
    bytes = received_.substr(0, count);
    received_.erase(0, count);
    return true;
}

int ServedProgram::End() {
    if (connection_ < 0) {
        return 0;
    }
    ::close(connection_);
    connection_ = -1;
    received_.clear();
    int status = 0;
    Wait(static_cast<pid_t>(child_), &status);
    child_ = 0;
    return status;
}

std::string FindOnSearchPath(const std::string& name, const std::string& searchPath) {
    std::size_t start = 0;
    while (start <= searchPath.size()) {
        std::size_t end = searchPath.find(':', start);
        if (end == std::string::npos) {
            end = searchPath.size();
        }
        const std::string folder = searchPath.substr(start, end - start);
        if (!folder.empty()) {
            std::string candidate = folder + "/" + name;
            if (IsRunnable(candidate)) {
                return candidate;
            }
        }
        start = end + 1;
    }
    return {};
}

}  // namespace zrb
