#include <iostream>
#include <string>
#include <vector>

#include "platform/Platform.h"
#include "tools/zrb-batch/BatchRunner.h"
#include "tools/zrb-batch/SystemProgramRunner.h"

int main(int argc, char** argv) {
    const std::vector<std::string> args(argv + 1, argv + argc);
    const std::string folder = zrb::CurrentFolder();
    if (folder.empty()) {
        std::cerr << "zrb-batch: cannot find the current folder\n";
        return 1;
    }
    return zrb::BatchMain(args, folder, std::cin, std::cout, std::cerr, zrb::SystemProgramRunner());
}
