#include "platform/Platform.h"
#include "platform/win32/Wide.h"

namespace zrb {

using win32::ErrorText;
using win32::Wide;

Result CopyFileReplacing(const std::string& source, const std::string& destination,
                         CopyMode /*mode*/) {
    const std::wstring to = Wide(destination);
    // A new file every time: an old destination may be read-only, or a link to the source.
    const DWORD attributes = ::GetFileAttributesW(to.c_str());
    if (attributes != INVALID_FILE_ATTRIBUTES) {
        ::SetFileAttributesW(to.c_str(), FILE_ATTRIBUTE_NORMAL);
        ::DeleteFileW(to.c_str());
    }
    if (!::CopyFileW(Wide(source).c_str(), to.c_str(), TRUE)) {
        const DWORD error = ::GetLastError();
        ::DeleteFileW(to.c_str());
        return Result::Failure(ErrorText(error));
    }
    return Result::Success();
}

void RemoveFileIfPresent(const std::string& path) {
    ::DeleteFileW(Wide(path).c_str());
}

bool IsRunnable(const std::string& path) {
    return KindOf(path) == EntryKind::File;
}

}  // namespace zrb
