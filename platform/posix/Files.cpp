#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <array>
#include <cerrno>
#include <cstring>

#include "platform/Platform.h"

namespace zrb {

namespace {

// Plain read and write, for file systems or kernels that cannot copy in the kernel.
int CopyByReading(int in, int out) {
    std::array<char, 1 << 16> buffer;
    for (;;) {
        const ssize_t got = ::read(in, buffer.data(), buffer.size());
        if (got == 0) {
            return 0;
        }
        if (got < 0) {
            if (errno == EINTR) {
                continue;
            }
            return errno;
        }
        for (ssize_t done = 0; done < got;) {
            const ssize_t put = ::write(out, buffer.data() + done, static_cast<size_t>(got - done));
            if (put < 0) {
                if (errno == EINTR) {
                    continue;
                }
                return errno;
            }
            done += put;
        }
    }
}

// Copies from the descriptors' current offsets to the end; 0 or the error.
int CopyContent(int in, int out) {
    for (;;) {
        const ssize_t n = ::copy_file_range(in, nullptr, out, nullptr, std::size_t{1} << 30, 0);
        if (n > 0) {
            continue;
        }
        if (n == 0) {
            return 0;
        }
        switch (errno) {
            case EINTR:
                continue;
            // Across file systems, on old kernels or special files: the offsets have moved
            // past what was copied, so plain copying carries on from there.
            case EXDEV:
            case EINVAL:
            case ENOSYS:
            case EOPNOTSUPP:
            case EPERM:
                return CopyByReading(in, out);
            default:
                return errno;
        }
    }
}

Result Failed(int error) {
    return Result::Failure(std::strerror(error));
}

// Only a regular file is copied; its descriptor is made blocking again for the copy.
Result RequireRegularFile(int fd) {
    struct stat info {};
    if (::fstat(fd, &info) != 0) {
        return Failed(errno);
    }
    if (!S_ISREG(info.st_mode)) {
        return Result::Failure(S_ISDIR(info.st_mode) ? "it is a folder"
                                                     : "it is not a regular file");
    }
    ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) & ~O_NONBLOCK);
    return Result::Success();
}

}  // namespace

Result CopyFileReplacing(const std::string& source, const std::string& destination, CopyMode mode) {
    // O_NONBLOCK: a FIFO without a writer must not hang the copy; it is refused below,
    // as is a device, which could be endless.
    const int in = ::open(source.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (in < 0) {
        return Failed(errno);
    }
    if (Result regular = RequireRegularFile(in); !regular) {
        ::close(in);
        return regular;
    }
    // A new file every time rather than truncating: the old destination may be
    // read-only, a running archiver, or a link to the source itself, which truncating
    // would wipe out. Usually there is none (the script deleted it), so the unlink is
    // only paid for when one is in the way.
    const mode_t permissions = mode == CopyMode::Executable ? 0777 : 0666;
    const int flags = O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC;
    int out = ::open(destination.c_str(), flags, permissions);
    if (out < 0 && errno == EEXIST) {
        if (::unlink(destination.c_str()) == 0 || errno == ENOENT) {
            out = ::open(destination.c_str(), flags, permissions);
        }
    }
    if (out < 0) {
        const int error = errno;
        ::close(in);
        return Failed(error);
    }
    int error = CopyContent(in, out);
    ::close(in);
    if (::close(out) != 0 && error == 0) {
        error = errno;
    }
    if (error != 0) {
        ::unlink(destination.c_str());
        return Failed(error);
    }
    return Result::Success();
}

void RemoveFileIfPresent(const std::string& path) {
    ::unlink(path.c_str());
}

bool IsRunnable(const std::string& path) {
    struct stat info {};
    return ::stat(path.c_str(), &info) == 0 && S_ISREG(info.st_mode) &&
           ::access(path.c_str(), X_OK) == 0;
}

}  // namespace zrb
