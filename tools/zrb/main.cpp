#include <iostream>
#include <string>
#include <vector>

#include "platform/Platform.h"
#include "tools/zrb/Zrb.h"

int main(int argc, char** argv) {
    const int status = zrb::cli::ZrbMain(zrb::ProgramArguments(argc, argv), std::cout, std::cerr);
    std::cout.flush();
    return status;
}
