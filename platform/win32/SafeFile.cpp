#include "platform/SafeFile.h"

#include <cerrno>
#include <cstring>
#include <random>

#include "platform/Platform.h"
#include "platform/Text.h"
#include "platform/win32/Wide.h"

namespace zrb {

using win32::ErrorText;
using win32::Handle;
using win32::Utf8;
using win32::Wide;

namespace {

WriteFunction g_write = nullptr;

Result Fail(const std::string& path, const std::string& what, const std::string& reason = {}) {
    return Result::Failure("Could not save " + Quote(path) + ": " + what +
                           (reason.empty() ? "" : " (" + reason + ")"));
}

// Both separators name folders on Windows.
std::size_t LastSeparator(const std::string& path) {
    return path.find_last_of("\\/");
}

std::string FolderPart(const std::string& path) {
    const std::size_t cut = LastSeparator(path);
    return cut == std::string::npos ? "." : path.substr(0, cut);
}

std::string NamePart(const std::string& path) {
    const std::size_t cut = LastSeparator(path);
    return cut == std::string::npos ? path : path.substr(cut + 1);
}

constexpr std::string_view kTempInfix = ".tmp-";
constexpr std::size_t kTempTail = 6;
// A name too long for "." + name + kTempInfix + tail takes this short form instead.
constexpr std::string_view kShortPrefix = ".zrb-";
constexpr std::string_view kShortSuffix = ".tmp";
// The longest name a folder entry may have, in UTF-16 units.
constexpr std::size_t kNameMax = 255;

std::string RandomTail() {
    static constexpr char kLetters[] =
        "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789";
    static thread_local std::mt19937 random{std::random_device{}()};
    std::string tail;
    for (std::size_t i = 0; i < kTempTail; ++i) {
        tail += kLetters[random() % (sizeof kLetters - 1)];
    }
    return tail;
}

// The temporary files named `prefix` + tail + `suffix` that a killed save left in
// `folder`, older than a minute (a younger one may belong to a save still running). The
// system matches the pattern.
void RemoveStaleTemporaries(const std::string& folder, const std::string& prefix,
                            std::string_view suffix = {}) {
    WIN32_FIND_DATAW found;
    HANDLE search = ::FindFirstFileExW(Wide(folder + "\\" + prefix + "*").c_str(), FindExInfoBasic,
                                       &found, FindExSearchNameMatch, nullptr, 0);
    if (search == INVALID_HANDLE_VALUE) {
        return;
    }
    FILETIME now;
    ::GetSystemTimeAsFileTime(&now);
    const std::int64_t cutoff = win32::UnixSeconds(now) - 60;
    do {
        const std::string entry = Utf8(found.cFileName);
        bool pattern =
            entry.size() == prefix.size() + kTempTail + suffix.size() &&
            EqualsIgnoringAsciiCase(std::string_view(entry).substr(0, prefix.size()), prefix) &&
            EqualsIgnoringAsciiCase(std::string_view(entry).substr(prefix.size() + kTempTail),
                                    suffix);
        const std::string_view tail =
            std::string_view(entry).substr(pattern ? prefix.size() : entry.size(), kTempTail);
        for (const char c : tail) {
            pattern = pattern && (IsAsciiLetter(c) || IsAsciiDigit(c));
        }
        if (pattern && (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) == 0 &&
            win32::UnixSeconds(found.ftLastWriteTime) < cutoff) {
            ::DeleteFileW(Wide(folder + "\\" + entry).c_str());
        }
    } while (::FindNextFileW(search, &found));
    ::FindClose(search);
}

std::string WriteAll(HANDLE file, std::string_view bytes) {
    while (!bytes.empty()) {
        const DWORD chunk =
            bytes.size() > 0x40000000 ? 0x40000000 : static_cast<DWORD>(bytes.size());
        if (g_write != nullptr && g_write(-1, bytes.data(), chunk) < 0) {
            return std::strerror(errno);
        }
        DWORD written = 0;
        if (!::WriteFile(file, bytes.data(), chunk, &written, nullptr)) {
            return ErrorText(::GetLastError());
        }
        if (written == 0) {
            return ErrorText(ERROR_WRITE_FAULT);
        }
        bytes.remove_prefix(written);
    }
    return {};
}

}  // namespace

void SetWriteFunctionForTesting(WriteFunction function) {
    g_write = function;
}

Result SaveFileAtomically(const std::string& path, std::string_view bytes, Durability durability) {
    if (path.empty() || path.back() == '\\' || path.back() == '/') {
        return Fail(path, "no file name was given");
    }
    const std::wstring target = Wide(path);
    const DWORD attributes = ::GetFileAttributesW(target.c_str());
    const bool exists = attributes != INVALID_FILE_ATTRIBUTES;
    if (exists && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0) {
        return Fail(path, "it is a folder");
    }
    if (exists && (attributes & FILE_ATTRIBUTE_READONLY) != 0) {
        return Fail(path, "the file is read-only");
    }

    const std::string folder = FolderPart(path);
    const std::string name = NamePart(path);
    const std::size_t length = Wide(name).size();
    if (length > kNameMax) {
        return Fail(path, "the name is too long: " + std::to_string(length) +
                              " characters, where the system allows " + std::to_string(kNameMax));
    }
    const bool shortForm = 1 + length + kTempInfix.size() + kTempTail > kNameMax;
    // The leading dot and the random tail keep it from matching "*.zrb".
    std::string temp;
    Handle file;
    DWORD error = ERROR_FILE_EXISTS;
    for (int attempt = 0; attempt < 100 && error == ERROR_FILE_EXISTS; ++attempt) {
        temp = shortForm ? folder + "\\" + std::string(kShortPrefix) + RandomTail() +
                               std::string(kShortSuffix)
                         : folder + "\\." + name + std::string(kTempInfix) + RandomTail();
        file = Handle(::CreateFileW(Wide(temp).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                                    FILE_ATTRIBUTE_NORMAL, nullptr));
        error = file.valid() ? ERROR_SUCCESS : ::GetLastError();
    }
    if (!file.valid()) {
        if (error == ERROR_FILENAME_EXCED_RANGE) {
            return Fail(path, "the name is too long", ErrorText(error));
        }
        if (KindOf(folder) != EntryKind::Folder) {
            return Fail(path, "the folder does not exist", ErrorText(error));
        }
        return Fail(
            path,
            "the folder " + Quote(folder) + " does not allow new files" +
                (exists ? ", so the file cannot be replaced safely; it was not changed" : ""),
            ErrorText(error));
    }

    std::string problem = WriteAll(file.get(), bytes);
    if (problem.empty() && durability == Durability::Flushed && !::FlushFileBuffers(file.get())) {
        problem = ErrorText(::GetLastError());
    }
    ::CloseHandle(file.release());
    if (problem.empty() && !::MoveFileExW(Wide(temp).c_str(), target.c_str(),
                                          MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
        problem = ErrorText(::GetLastError());
    }
    if (!problem.empty()) {
        ::DeleteFileW(Wide(temp).c_str());
        return Fail(path, "the file could not be written", problem);
    }
    RemoveStaleTemporaries(folder, "." + name + std::string(kTempInfix));
    RemoveStaleTemporaries(folder, std::string(kShortPrefix), kShortSuffix);
    return Result::Success();
}

}  // namespace zrb
