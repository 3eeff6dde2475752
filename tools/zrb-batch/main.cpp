#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <iostream>
#include <string>
#include <vector>

#include "tools/zrb-batch/BatchRunner.h"
#include "tools/zrb-batch/PosixProgramRunner.h"

int main(int argc, char** argv) {
    const std::vector<std::string> args(argv + 1, argv + argc);
    std::vector<char> buffer(4096);
    while (getcwd(buffer.data(), buffer.size()) == nullptr) {
        if (errno != ERANGE) {
            std::cerr << "zrb-batch: cannot find the current folder: " << std::strerror(errno)
                      << "\n";
            return 1;
        }
        buffer.resize(buffer.size() * 2);
    }
    return zrb::BatchMain(args, buffer.data(), std::cin, std::cout, std::cerr,
                          zrb::PosixProgramRunner());
}
