#include <iostream>
#include <string>
#include <vector>

#include "tools/zrb/Zrb.h"

int main(int argc, char** argv) {
    const std::vector<std::string> args(argv + (argc > 0 ? 1 : 0), argv + argc);
    const int status = zrb::cli::ZrbMain(args, std::cout, std::cerr);
    std::cout.flush();
    return status;
}
