#include "platform/Platform.h"
#include "platform/win32/Wide.h"

namespace zrb {

using win32::ErrorText;
using win32::Wide;

namespace {

// Takes the read-only mark off `path`; false when it had none or it could not be taken.
bool ClearReadOnly(const std::wstring& path) {
    const DWORD attributes = ::GetFileAttributesW(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_READONLY) != 0 &&
           ::SetFileAttributesW(path.c_str(), attributes & ~FILE_ATTRIBUTE_READONLY);
}

}  // namespace

Result CopyFileReplacing(const std::string& source, const std::string& destination,
                         CopyMode /*mode*/) {
    const std::wstring to = Wide(destination);
    // Copied beside the destination, then put in its place: the source is read before
    // anything is removed, also when the destination is the source itself (an archive in
    // the start folder, beside the archiver), a link to it, or read-only.
    const std::wstring copy = to + L".copy-" + std::to_wstring(::GetCurrentProcessId());
    if (!::CopyFileW(Wide(source).c_str(), copy.c_str(), FALSE)) {
        const DWORD error = ::GetLastError();
        ::DeleteFileW(copy.c_str());
        return Result::Failure(ErrorText(error));
    }
    // The copy is ours to replace and delete later, whatever the source's mark.
    ClearReadOnly(copy);
    ClearReadOnly(to);
    if (!::MoveFileExW(copy.c_str(), to.c_str(), MOVEFILE_REPLACE_EXISTING)) {
        const DWORD error = ::GetLastError();
        ::DeleteFileW(copy.c_str());
        return Result::Failure(ErrorText(error));
    }
    return Result::Success();
}

void RemoveFileIfPresent(const std::string& path) {
    // Removed as unlink removes it, read-only or not.
    const std::wstring file = Wide(path);
    if (!::DeleteFileW(file.c_str()) && ClearReadOnly(file)) {
        ::DeleteFileW(file.c_str());
    }
}

bool IsRunnable(const std::string& path) {
    return KindOf(path) == EntryKind::File;
}

}  // namespace zrb
