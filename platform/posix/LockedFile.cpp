// Advisory locks with flock: they belong to the open file, so a program that dies lets go
// of its lock with it, and a child started meanwhile does not hold it.

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "platform/Platform.h"

namespace zrb {

namespace {

Result Failure(int error) {
    return Result::Failure(std::strerror(error));
}

int Lock(int fd, int how) {
    int done;
    do {
        done = ::flock(fd, how);
    } while (done != 0 && errno == EINTR);
    return done;
}

}  // namespace

LockedFile::~LockedFile() {
    Close();
}

void LockedFile::Close() {
    if (fd_ >= 0) {
        ::close(fd_);  // lets go of the lock
        fd_ = -1;
    }
}

void LockedFile::RemoveAndClose() {
    if (fd_ >= 0) {
        ::unlink(path_.c_str());
    }
    Close();
}

Result LockedFile::Open(const std::string& path, bool create, bool wait, bool* busy) {
    Close();
    created_ = false;
    path_ = path;
    if (busy != nullptr) {
        *busy = false;
    }
    for (;;) {
        int fd = ::open(path.c_str(), O_RDWR | O_CLOEXEC);
        bool made = false;
        if (fd < 0 && errno == ENOENT && create) {
            fd = ::open(path.c_str(), O_RDWR | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
            made = fd >= 0;
            if (fd < 0 && errno == EEXIST) {
                continue;  // another made it first: open that one
            }
        }
        if (fd < 0) {
            return Failure(errno);
        }
        if (Lock(fd, LOCK_EX | (wait ? 0 : LOCK_NB)) != 0) {
            const int error = errno;
            ::close(fd);
            if (error == EWOULDBLOCK && busy != nullptr) {
                *busy = true;
            }
            return Failure(error);
        }
        // The holder before may have renamed another file over the path, or removed it:
        // then this lock guards nothing, and the path is opened again.
        struct stat held {};
        struct stat named {};
        if (::fstat(fd, &held) != 0) {
            const int error = errno;
            ::close(fd);
            return Failure(error);
        }
        if (::stat(path.c_str(), &named) != 0 || named.st_dev != held.st_dev ||
            named.st_ino != held.st_ino) {
            ::close(fd);
            continue;
        }
        if (!S_ISREG(held.st_mode)) {
            ::close(fd);
            return Result::Failure("it is not a regular file");
        }
        fd_ = fd;
        size_ = static_cast<std::uint64_t>(held.st_size);
        created_ = made;
        return Result::Success();
    }
}

Result LockedFile::ReadAt(std::uint64_t offset, std::size_t size, std::string& bytes) const {
    bytes.resize(size);
    std::size_t got = 0;
    while (got < size) {
        const ssize_t n =
            ::pread(fd_, bytes.data() + got, size - got, static_cast<off_t>(offset + got));
        if (n < 0 && errno == EINTR) {
            continue;
        }
        if (n < 0) {
            return Failure(errno);
        }
        if (n == 0) {
            return Result::Failure("the file ends early");
        }
        got += static_cast<std::size_t>(n);
    }
    return Result::Success();
}

Result LockedFile::WriteAt(std::uint64_t offset, std::string_view bytes) {
    std::size_t done = 0;
    while (done < bytes.size()) {
        const ssize_t n = ::pwrite(fd_, bytes.data() + done, bytes.size() - done,
                                   static_cast<off_t>(offset + done));
        if (n < 0 && errno == EINTR) {
            continue;
        }
        if (n < 0) {
            return Failure(errno);
        }
        done += static_cast<std::size_t>(n);
    }
    return Result::Success();
}

Result LockedFile::Truncate(std::uint64_t size) {
    if (::ftruncate(fd_, static_cast<off_t>(size)) != 0) {
        return Failure(errno);
    }
    return Result::Success();
}

Result LockedFile::Sync() {
    if (::fdatasync(fd_) != 0) {
        return Failure(errno);
    }
    return Result::Success();
}

bool IsFileLocked(const std::string& path) {
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NOFOLLOW);
    if (fd < 0) {
        return false;
    }
    const bool held = Lock(fd, LOCK_SH | LOCK_NB) != 0 && errno == EWOULDBLOCK;
    ::close(fd);
    return held;
}

}  // namespace zrb
