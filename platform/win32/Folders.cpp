#include <cstdlib>

#include "platform/Paths.h"
#include "platform/Platform.h"
#include "platform/win32/Wide.h"

namespace zrb {

using win32::ErrorText;
using win32::Handle;
using win32::Utf8;
using win32::Wide;

Result ListFolder(const std::string& folder, std::vector<std::string>& names) {
    const std::wstring pattern = Wide(folder) + L"\\*";
    WIN32_FIND_DATAW found;
    HANDLE search = ::FindFirstFileExW(pattern.c_str(), FindExInfoBasic, &found,
                                       FindExSearchNameMatch, nullptr, FIND_FIRST_EX_LARGE_FETCH);
    if (search == INVALID_HANDLE_VALUE) {
        const DWORD error = ::GetLastError();
        return error == ERROR_FILE_NOT_FOUND ? Result::Success()
                                             : Result::Failure(ErrorText(error));
    }
    do {
        const std::wstring_view name = found.cFileName;
        if (name != L"." && name != L"..") {
            names.push_back(Utf8(name));
        }
    } while (::FindNextFileW(search, &found));
    const DWORD error = ::GetLastError();
    ::FindClose(search);
    return error == ERROR_NO_MORE_FILES ? Result::Success() : Result::Failure(ErrorText(error));
}

Result MatchWildcard(const std::string& pattern, std::vector<std::string>& names) {
    const std::size_t cut = pattern.find_last_of("\\/:");
    const std::string_view last =
        std::string_view(pattern).substr(cut == std::string::npos ? 0 : cut + 1);
    WIN32_FIND_DATAW found;
    HANDLE search = ::FindFirstFileExW(Wide(pattern).c_str(), FindExInfoBasic, &found,
                                       FindExSearchNameMatch, nullptr, FIND_FIRST_EX_LARGE_FETCH);
    if (search == INVALID_HANDLE_VALUE) {
        const DWORD error = ::GetLastError();
        return error == ERROR_FILE_NOT_FOUND || error == ERROR_NO_MORE_FILES
                   ? Result::Success()
                   : Result::Failure(ErrorText(error));
    }
    do {
        // The system also matches the short 8.3 names ("*.zrb" finds "a.zrbak" through
        // "A~1.ZRB"): only the long name counts.
        const std::string name = Utf8(found.cFileName);
        if (name != "." && name != ".." && MatchesWildcard(name, last)) {
            names.push_back(name);
        }
    } while (::FindNextFileW(search, &found));
    ::FindClose(search);
    return Result::Success();
}

EntryKind KindOf(const std::string& path) {
    const DWORD attributes = ::GetFileAttributesW(Wide(path).c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES) {
        return EntryKind::Missing;
    }
    if ((attributes & FILE_ATTRIBUTE_DIRECTORY) != 0) {
        return EntryKind::Folder;
    }
    return (attributes & FILE_ATTRIBUTE_DEVICE) != 0 ? EntryKind::Other : EntryKind::File;
}

bool IsSameFolder(const std::string& a, const std::string& b) {
    // The file IDs: the same folder however it is spelled, through links too.
    auto identify = [](const std::string& folder, BY_HANDLE_FILE_INFORMATION& info) {
        const Handle h(::CreateFileW(Wide(folder).c_str(), 0,
                                     FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                     nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr));
        return h.valid() && ::GetFileInformationByHandle(h.get(), &info);
    };
    BY_HANDLE_FILE_INFORMATION first;
    BY_HANDLE_FILE_INFORMATION second;
    return identify(a, first) && identify(b, second) &&
           first.dwVolumeSerialNumber == second.dwVolumeSerialNumber &&
           first.nFileIndexHigh == second.nFileIndexHigh &&
           first.nFileIndexLow == second.nFileIndexLow;
}

std::string CurrentFolder() {
    const DWORD n = ::GetCurrentDirectoryW(0, nullptr);
    if (n == 0) {
        return {};
    }
    std::wstring folder(n, L'\0');
    const DWORD written = ::GetCurrentDirectoryW(n, folder.data());
    folder.resize(written);
    return Utf8(folder);
}

std::string ProgramFolder() {
    std::wstring path(MAX_PATH, L'\0');
    for (;;) {
        const DWORD n = ::GetModuleFileNameW(nullptr, path.data(), static_cast<DWORD>(path.size()));
        if (n == 0) {
            return {};
        }
        if (n < path.size()) {
            path.resize(n);
            break;
        }
        path.resize(path.size() * 2);
    }
    const std::size_t separator = path.find_last_of(L"\\/");
    return separator == std::wstring::npos ? std::string() : Utf8(path.substr(0, separator));
}

std::string HomeFolder() {
    return Environment("USERPROFILE").value_or("");
}

bool IsWritableFolder(const std::string& folder) {
    // Access rights alone do not tell (Program Files, virtualisation, shares): try it.
    const std::wstring probe =
        Wide(folder) + L"\\.zrb-probe-" + std::to_wstring(::GetCurrentProcessId()) + L".tmp";
    const HANDLE file =
        ::CreateFileW(probe.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                      FILE_ATTRIBUTE_TEMPORARY | FILE_FLAG_DELETE_ON_CLOSE, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        return false;
    }
    ::CloseHandle(file);
    return true;
}

std::vector<std::string> ProgramArguments(int /*argc*/, char** /*argv*/) {
    ::SetConsoleOutputCP(CP_UTF8);
    // Split here rather than by CommandLineToArgvW, for "C:\my models\".
    return SplitWindowsCommandLine(Utf8(::GetCommandLineW()));
}

bool WriteStandardStream(StandardStream stream, std::string_view text) {
    const HANDLE handle =
        ::GetStdHandle(stream == StandardStream::Output ? STD_OUTPUT_HANDLE : STD_ERROR_HANDLE);
    if (handle == nullptr || handle == INVALID_HANDLE_VALUE) {
        return false;
    }
    DWORD mode = 0;
    if (::GetConsoleMode(handle, &mode)) {
        // Characters, not bytes: the console shows them whatever its code page.
        const std::wstring wide = Wide(text);
        std::wstring_view left = wide;
        while (!left.empty()) {
            const DWORD chunk = left.size() > 8192 ? 8192 : static_cast<DWORD>(left.size());
            DWORD written = 0;
            if (!::WriteConsoleW(handle, left.data(), chunk, &written, nullptr) || written == 0) {
                return false;
            }
            left.remove_prefix(written);
        }
        return true;
    }
    while (!text.empty()) {
        const DWORD chunk = text.size() > 0x10000 ? 0x10000 : static_cast<DWORD>(text.size());
        DWORD written = 0;
        if (!::WriteFile(handle, text.data(), chunk, &written, nullptr) || written == 0) {
            return false;
        }
        text.remove_prefix(written);
    }
    return true;
}

std::optional<std::string> Environment(const char* name) {
    const std::wstring wide = Wide(name);
    const DWORD n = ::GetEnvironmentVariableW(wide.c_str(), nullptr, 0);
    if (n == 0) {
        return std::nullopt;
    }
    std::wstring value(n, L'\0');
    value.resize(::GetEnvironmentVariableW(wide.c_str(), value.data(), n));
    return Utf8(value);
}

}  // namespace zrb
