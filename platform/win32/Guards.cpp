#include <cwchar>

#include "platform/Paths.h"
#include "platform/Platform.h"
#include "platform/win32/Wide.h"

namespace zrb {

using win32::ErrorText;
using win32::Handle;
using win32::Wide;

namespace {

// The path the system reaches `path` by, links and junctions resolved; empty if none.
std::wstring FinalPath(const std::string& path) {
    const Handle h(::CreateFileW(Wide(path).c_str(), 0,
                                 FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                 OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr));
    if (!h.valid()) {
        return {};
    }
    std::wstring buffer(MAX_PATH, L'\0');
    for (;;) {
        const DWORD n = ::GetFinalPathNameByHandleW(h.get(), buffer.data(),
                                                    static_cast<DWORD>(buffer.size()), 0);
        if (n == 0) {
            return {};
        }
        if (n < buffer.size()) {
            buffer.resize(n);
            return buffer;
        }
        buffer.resize(n + 1);
    }
}

}  // namespace

unsigned ScriptCodePage() {
    // cmd reads a batch file in the console's code page, which starts as the system's
    // OEM one. This program's manifest makes its own code pages UTF-8, GetOEMCP
    // included, so the system's is read where Windows keeps it.
    wchar_t value[16] = {};
    DWORD size = sizeof value;
    if (::RegGetValueW(HKEY_LOCAL_MACHINE, L"SYSTEM\\CurrentControlSet\\Control\\Nls\\CodePage",
                       L"OEMCP", RRF_RT_REG_SZ, nullptr, value, &size) == ERROR_SUCCESS) {
        const unsigned long codePage = std::wcstoul(value, nullptr, 10);
        if (codePage > 0 && codePage < 65536) {
            return static_cast<unsigned>(codePage);
        }
    }
    return ::GetOEMCP();
}

std::optional<std::string> ToCodePage(const std::string& utf8, unsigned codePage) {
    if (codePage == CP_UTF8) {
        return utf8;  // a system set to read scripts in UTF-8
    }
    const std::wstring wide = Wide(utf8);
    if (wide.empty()) {
        return std::string();
    }
    const int length = static_cast<int>(wide.size());
    BOOL lossy = FALSE;
    // No best fit: a character without a place fails rather than turning into another.
    const int n = ::WideCharToMultiByte(codePage, WC_NO_BEST_FIT_CHARS, wide.data(), length,
                                        nullptr, 0, nullptr, &lossy);
    if (n <= 0 || lossy) {
        return std::nullopt;
    }
    std::string bytes(static_cast<std::size_t>(n), '\0');
    ::WideCharToMultiByte(codePage, WC_NO_BEST_FIT_CHARS, wide.data(), length, bytes.data(), n,
                          nullptr, &lossy);
    if (lossy) {
        return std::nullopt;
    }
    return bytes;
}

Result WriteNewFile(const std::string& path, const std::string& bytes) {
    // CREATE_NEW fails on any existing name, a link included, so nothing is written
    // through one.
    Handle file(::CreateFileW(Wide(path).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                              FILE_ATTRIBUTE_NORMAL | FILE_FLAG_OPEN_REPARSE_POINT, nullptr));
    if (!file.valid()) {
        return Result::Failure(ErrorText(::GetLastError()));
    }
    DWORD written = 0;
    const bool ok = ::WriteFile(file.get(), bytes.data(), static_cast<DWORD>(bytes.size()),
                                &written, nullptr) &&
                    written == bytes.size();
    const DWORD error = ::GetLastError();
    file.Close();
    if (!ok) {
        ::DeleteFileW(Wide(path).c_str());
        return Result::Failure(ErrorText(error));
    }
    return Result::Success();
}

bool IsLinkOutOfFolder(const std::string& path, const std::string& folder) {
    const DWORD attributes = ::GetFileAttributesW(Wide(path).c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES || (attributes & FILE_ATTRIBUTE_REPARSE_POINT) == 0) {
        return false;
    }
    const std::wstring target = FinalPath(path);
    const std::wstring base = FinalPath(folder);
    if (target.empty() || base.empty()) {
        return true;
    }
    const std::wstring prefix = base.back() == L'\\' ? base : base + L"\\";
    if (target.size() <= prefix.size()) {
        return true;
    }
    return ::CompareStringOrdinal(target.c_str(), static_cast<int>(prefix.size()), prefix.c_str(),
                                  static_cast<int>(prefix.size()), TRUE) != CSTR_EQUAL;
}

Result CheckOnlyOwnerCanChange(const std::string& /*path*/) {
    return Result::Success();
}

}  // namespace zrb
