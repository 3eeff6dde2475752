#include <iostream>
#include <string>
#include <vector>

#include "tools/sqzip/Sqzip.h"

int main(int argc, char** argv) {
    const std::vector<std::string> args(argv + 1, argv + argc);
    return zrb::SqzipMain(args, std::cout, std::cerr);
}
