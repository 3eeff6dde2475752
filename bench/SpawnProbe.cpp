// Starts a program, waits for it and prints its wall time in microseconds and its peak
// resident memory in kilobytes. A small process of its own, so that the peak is the
// program's and not that of whoever started it (a child's peak memory includes what its
// parent held at the fork).

#include <spawn.h>
#include <sys/resource.h>
#include <sys/wait.h>

#include <chrono>
#include <cstdio>

extern char** environ;

int main(int argc, char** argv) {
    if (argc < 2) {
        std::fprintf(stderr, "usage: zrb_spawn_probe PROGRAM [ARGS...]\n");
        return 2;
    }
    const auto start = std::chrono::steady_clock::now();
    pid_t pid = 0;
    if (::posix_spawn(&pid, argv[1], nullptr, nullptr, argv + 1, environ) != 0) {
        std::perror(argv[1]);
        return 1;
    }
    int status = 0;
    rusage usage{};
    ::wait4(pid, &status, 0, &usage);
    const auto elapsed = std::chrono::steady_clock::now() - start;
    if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) {
        return 1;
    }
    std::printf("%lld %ld\n",
                static_cast<long long>(
                    std::chrono::duration_cast<std::chrono::microseconds>(elapsed).count()),
                usage.ru_maxrss);
    return 0;
}
