// A stand-in for the simulation's sqzip.exe in the Windows smoke test: appends its
// arguments in UTF-8, and whether the file it is to add is there, to sqzip-calls.txt in
// the folder it runs in, and the file's name to the archive (its last argument). The
// arguments are read wide, as the real archiver would open the files, so a name that
// reached it wrongly shows as it came.

#include <windows.h>

#include <shellapi.h>

#include <fstream>
#include <string>

namespace {

std::string Utf8(const wchar_t* wide) {
    const int n = ::WideCharToMultiByte(CP_UTF8, 0, wide, -1, nullptr, 0, nullptr, nullptr);
    std::string utf8(static_cast<std::size_t>(n > 0 ? n : 1), '\0');
    ::WideCharToMultiByte(CP_UTF8, 0, wide, -1, utf8.data(), n, nullptr, nullptr);
    utf8.resize(utf8.size() - 1);
    return utf8;
}

}  // namespace

int main() {
    int argc = 0;
    wchar_t** argv = ::CommandLineToArgvW(::GetCommandLineW(), &argc);
    std::ofstream calls("sqzip-calls.txt", std::ios::app | std::ios::binary);
    const wchar_t* file = L"";
    for (int i = 1; i < argc; ++i) {
        calls << (i > 1 ? " " : "") << Utf8(argv[i]);
        if (i == argc - 2) {
            file = argv[i];
        }
    }
    const DWORD attributes = ::GetFileAttributesW(file);
    const bool present =
        attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) == 0;
    calls << (present ? " (present)" : " (missing)") << "\n";
    if (argc > 2) {
        std::ofstream(argv[argc - 1], std::ios::app | std::ios::binary) << Utf8(file) << "\n";
    }
    return 0;
}
