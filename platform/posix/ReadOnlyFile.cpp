#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "platform/Platform.h"

namespace zrb {

namespace {

Result Failed(int error) {
    return Result::Failure(std::strerror(error));
}

}  // namespace

ReadOnlyFile::~ReadOnlyFile() {
    if (handle_ >= 0) {
        ::close(static_cast<int>(handle_));
    }
}

Result ReadOnlyFile::Open(const std::string& path) {
    // O_NONBLOCK: opening a FIFO without a writer would otherwise wait for one.
    const int fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) {
        return Failed(errno);
    }
    handle_ = fd;
    struct stat info {};
    if (::fstat(fd, &info) != 0) {
        return Failed(errno);
    }
    if (S_ISDIR(info.st_mode)) {
        return Result::Failure("it is a folder");
    }
    if (!S_ISREG(info.st_mode)) {
        return Result::Failure("it is not a regular file");
    }
    size_ = static_cast<std::uint64_t>(info.st_size);
    modified_ = info.st_mtime;
    // Regular files never block; clear the flag so reads behave as usual everywhere.
    ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) & ~O_NONBLOCK);
    return Result::Success();
}

long ReadOnlyFile::Read(char* data, std::size_t size) {
    if (handle_ < 0) {
        error_ = EBADF;
        return -1;
    }
    for (;;) {
        const ssize_t n = ::read(static_cast<int>(handle_), data, size);
        if (n >= 0) {
            return static_cast<long>(n);
        }
        if (errno != EINTR) {
            error_ = errno;
            return -1;
        }
    }
}

std::string ReadOnlyFile::Reason() const {
    return std::strerror(error_);
}

}  // namespace zrb
