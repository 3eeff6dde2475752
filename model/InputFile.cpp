#include "model/InputFile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

namespace zrb {

namespace {

std::string CouldNotRead(const std::string& path, const std::string& why) {
    return "Could not read \"" + path + "\"" + why;
}

std::string Reason(int error) {
    return " (" + std::string(std::strerror(error)) + ")";
}

}  // namespace

InputFile::~InputFile() {
    if (fd_ >= 0) {
        ::close(fd_);
    }
}

Result InputFile::Open(const std::string& path) {
    path_ = path;
    // O_NONBLOCK: opening a FIFO without a writer would otherwise wait for one.
    fd_ = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd_ < 0) {
        return Result::Failure(CouldNotRead(path, Reason(errno)));
    }
    struct stat info {};
    if (::fstat(fd_, &info) != 0) {
        return Result::Failure(CouldNotRead(path, Reason(errno)));
    }
    if (S_ISDIR(info.st_mode)) {
        return Result::Failure(CouldNotRead(path, ": it is a folder"));
    }
    if (!S_ISREG(info.st_mode)) {
        return Result::Failure(CouldNotRead(path, ": it is not a regular file"));
    }
    if (static_cast<std::uint64_t>(info.st_size) > kMaxModelFileBytes) {
        return Result::Failure(CouldNotRead(path, ": it is far too large to be a motion model (" +
                                                      std::to_string(info.st_size) + " bytes)"));
    }
    // Regular files never block; clear the flag so reads behave as usual everywhere.
    ::fcntl(fd_, F_SETFL, ::fcntl(fd_, F_GETFL) & ~O_NONBLOCK);
    return Result::Success();
}

long InputFile::Read(char* data, std::size_t size) {
    if (fd_ < 0) {
        error_ = EBADF;
        return -1;
    }
    // One byte over the limit is enough to tell that the file has grown past it.
    const std::uint64_t room = kMaxModelFileBytes + 1 - read_;
    for (;;) {
        const ssize_t n = ::read(fd_, data, size < room ? size : room);
        if (n < 0 && errno == EINTR) {
            continue;
        }
        if (n < 0) {
            error_ = errno;
            return -1;
        }
        read_ += static_cast<std::uint64_t>(n);
        if (read_ > kMaxModelFileBytes) {
            error_ = EFBIG;
            return -1;
        }
        return static_cast<long>(n);
    }
}

std::string InputFile::ReadFailure() const {
    if (error_ == EFBIG) {
        return CouldNotRead(path_, ": it grew too large to be a motion model while it was read");
    }
    return CouldNotRead(path_, ": reading it failed" + Reason(error_));
}

}  // namespace zrb
