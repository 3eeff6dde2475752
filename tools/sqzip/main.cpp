#include <iostream>
#include <string>
#include <vector>

#include "tools/sqzip/Sqzip.h"

int main(int argc, char** argv) {
    const std::vector<std::string> args(argv + 1, argv + argc);
    if (args.size() == 1 && args[0] == zrb::kServeOption) {
        return zrb::SqzipServe(std::cin, std::cout);
    }
    return zrb::SqzipMain(args, std::cout, std::cerr);
}
