#include "tools/zrb-batch/PosixProgramRunner.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>

namespace zrb {

Result PosixProgramRunner::Run(const std::string& program, const std::vector<std::string>& args,
                               const std::string& workingDir) const {
    // Everything the child needs is prepared before fork: after it, only async-signal-safe
    // calls are allowed.
    std::vector<std::string> strings;
    strings.push_back(program);
    strings.insert(strings.end(), args.begin(), args.end());
    std::vector<char*> argv;
    for (std::string& s : strings) {
        argv.push_back(s.data());
    }
    argv.push_back(nullptr);

    // The child reports a failed chdir or execv through this pipe; a successful execv
    // closes it unseen, so the parent reads end-of-file.
    int report[2];
    if (pipe2(report, O_CLOEXEC) != 0) {
        return Result::Failure("cannot run " + program + ": " + std::strerror(errno));
    }
    const pid_t child = fork();
    if (child < 0) {
        const int error = errno;
        close(report[0]);
        close(report[1]);
        return Result::Failure("cannot run " + program + ": " + std::strerror(error));
    }
    if (child == 0) {
        close(report[0]);
        if (chdir(workingDir.c_str()) == 0) {
            execv(program.c_str(), argv.data());
        }
        const int error = errno;
        ssize_t ignored = write(report[1], &error, sizeof error);
        (void)ignored;
        _exit(127);
    }

    close(report[1]);
    int childError = 0;
    ssize_t count;
    do {
        count = read(report[0], &childError, sizeof childError);
    } while (count < 0 && errno == EINTR);
    close(report[0]);

    int status = 0;
    while (waitpid(child, &status, 0) < 0 && errno == EINTR) {
    }
    if (count == static_cast<ssize_t>(sizeof childError)) {
        return Result::Failure("cannot run " + program + ": " + std::strerror(childError));
    }
    return Result::Success();
}

std::string PosixProgramRunner::FindOnPath(const std::string& name) const {
    const char* path = std::getenv("PATH");
    if (path == nullptr) {
        return "";
    }
    const std::string folders = path;
    size_t start = 0;
    while (start <= folders.size()) {
        size_t end = folders.find(':', start);
        if (end == std::string::npos) {
            end = folders.size();
        }
        const std::string folder = folders.substr(start, end - start);
        if (!folder.empty()) {
            const std::string candidate = folder + "/" + name;
            struct stat info {};
            if (stat(candidate.c_str(), &info) == 0 && S_ISREG(info.st_mode) &&
                access(candidate.c_str(), X_OK) == 0) {
                return candidate;
            }
        }
        start = end + 1;
    }
    return "";
}

}  // namespace zrb
