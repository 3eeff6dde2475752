// A stand-in for the simulation's sqzip.exe in the Windows smoke test: appends its
// arguments, and whether the file it is to add is there, to sqzip-calls.txt in the
// folder it runs in, and the file's name to the archive (its last argument).

#include <fstream>
#include <string>

int main(int argc, char** argv) {
    std::ofstream calls("sqzip-calls.txt", std::ios::app | std::ios::binary);
    std::string file;
    for (int i = 1; i < argc; ++i) {
        calls << (i > 1 ? " " : "") << argv[i];
        if (i == argc - 2) {
            file = argv[i];
        }
    }
    calls << (std::ifstream(file).good() ? " (present)" : " (missing)") << "\n";
    if (argc > 2) {
        std::ofstream(argv[argc - 1], std::ios::app | std::ios::binary) << file << "\n";
    }
    return 0;
}
