#include "platform/Platform.h"
#include "platform/win32/Wide.h"

namespace zrb {

using win32::ErrorText;
using win32::Wide;

ReadOnlyFile::~ReadOnlyFile() {
    if (handle_ != -1) {
        ::CloseHandle(reinterpret_cast<HANDLE>(handle_));
    }
}

Result ReadOnlyFile::Open(const std::string& path) {
    const std::wstring wide = Wide(path);
    const DWORD attributes = ::GetFileAttributesW(wide.c_str());
    if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0) {
        return Result::Failure("it is a folder");
    }
    HANDLE h = ::CreateFileW(wide.c_str(), GENERIC_READ,
                             FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                             OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (h == INVALID_HANDLE_VALUE) {
        return Result::Failure(ErrorText(::GetLastError()));
    }
    handle_ = reinterpret_cast<std::intptr_t>(h);
    // A device or a pipe under a model's name is no model.
    if (::GetFileType(h) != FILE_TYPE_DISK) {
        return Result::Failure("it is not a regular file");
    }
    BY_HANDLE_FILE_INFORMATION info;
    if (!::GetFileInformationByHandle(h, &info)) {
        return Result::Failure(ErrorText(::GetLastError()));
    }
    size_ = (static_cast<std::uint64_t>(info.nFileSizeHigh) << 32) | info.nFileSizeLow;
    modified_ = win32::UnixSeconds(info.ftLastWriteTime);
    return Result::Success();
}

long ReadOnlyFile::Read(char* data, std::size_t size) {
    if (handle_ == -1) {
        error_ = ERROR_INVALID_HANDLE;
        return -1;
    }
    DWORD got = 0;
    const DWORD want = size > 0x40000000 ? 0x40000000 : static_cast<DWORD>(size);
    if (!::ReadFile(reinterpret_cast<HANDLE>(handle_), data, want, &got, nullptr)) {
        error_ = static_cast<int>(::GetLastError());
        return -1;
    }
    return static_cast<long>(got);
}

std::string ReadOnlyFile::Reason() const {
    return ErrorText(static_cast<DWORD>(error_));
}

}  // namespace zrb
