#include "model/SafeFile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <system_error>

namespace zrb {

namespace {

WriteFunction g_write = nullptr;

long DoWrite(int fd, const void* data, unsigned long size) {
    if (g_write != nullptr) {
        return g_write(fd, data, size);
    }
    return static_cast<long>(::write(fd, data, size));
}

std::string Quote(const std::string& path) {
    return "\"" + path + "\"";
}

Result Fail(const std::string& path, const std::string& what, int error) {
    return Result::Failure("Could not save " + Quote(path) + ": " + what +
                           (error != 0 ? " (" + std::string(std::strerror(error)) + ")" : ""));
}

int WriteAll(int fd, std::string_view bytes) {
    while (!bytes.empty()) {
        const long n = DoWrite(fd, bytes.data(), bytes.size());
        if (n < 0) {
            if (errno == EINTR) {
                continue;
            }
            return errno;
        }
        if (n == 0) {
            return EIO;
        }
        bytes.remove_prefix(static_cast<std::size_t>(n));
    }
    return 0;
}

// Follows symbolic links to the file that is really written.
std::string ResolveLinks(std::string path) {
    namespace fs = std::filesystem;
    for (int hops = 0; hops < 40; ++hops) {
        std::error_code ec;
        if (!fs::is_symlink(fs::symlink_status(path, ec))) {
            break;
        }
        const fs::path target = fs::read_symlink(path, ec);
        if (ec) {
            break;
        }
        path = target.is_absolute() ? target.string()
                                    : (fs::path(path).parent_path() / target).string();
    }
    return path;
}

std::string FolderOf(const std::string& path) {
    const auto slash = path.rfind('/');
    if (slash == std::string::npos) {
        return ".";
    }
    return slash == 0 ? "/" : path.substr(0, slash);
}

std::string BaseName(const std::string& path) {
    const auto slash = path.rfind('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

mode_t DefaultMode() {
    const mode_t mask = ::umask(0);
    ::umask(mask);
    return 0666 & ~mask;
}

Result WriteInPlace(const std::string& shownPath, const std::string& target, std::string_view bytes,
                    Durability durability) {
    const int fd = ::open(target.c_str(), O_WRONLY | O_TRUNC | O_CLOEXEC);
    if (fd < 0) {
        return Fail(shownPath, "the file cannot be opened for writing", errno);
    }
    int error = WriteAll(fd, bytes);
    if (error == 0 && durability == Durability::Flushed && ::fsync(fd) != 0) {
        error = errno;
    }
    if (::close(fd) != 0 && error == 0) {
        error = errno;
    }
    if (error != 0) {
        return Fail(shownPath, "the file could not be written completely", error);
    }
    return Result::Success();
}

}  // namespace

void SetWriteFunctionForTesting(WriteFunction function) {
    g_write = function;
}

Result SaveFileAtomically(const std::string& path, std::string_view bytes, Durability durability) {
    if (path.empty() || path.back() == '/') {
        return Fail(path, "no file name was given", 0);
    }
    const std::string target = ResolveLinks(path);
    struct stat old {};
    const bool exists = ::stat(target.c_str(), &old) == 0;
    if (exists) {
        if (S_ISDIR(old.st_mode)) {
            return Fail(path, "it is a folder", 0);
        }
        if (!S_ISREG(old.st_mode)) {
            return Fail(path, "it is not a regular file", 0);
        }
        // Checked by hand as well because root may write a file that has no write bit.
        if ((old.st_mode & 0222) == 0 || ::access(target.c_str(), W_OK) != 0) {
            return Fail(path, "the file is read-only", EACCES);
        }
    } else if (errno != ENOENT) {
        return Fail(path, "the file cannot be reached", errno);
    }

    const std::string folder = FolderOf(target);
    // The leading dot hides it, and the random tail keeps it from matching "*.zrb".
    std::string temp = folder + "/." + BaseName(target) + ".tmp-XXXXXX";
    const int fd = ::mkstemp(temp.data());
    if (fd < 0) {
        const int error = errno;
        if (exists && (error == EACCES || error == EPERM || error == EROFS)) {
            return WriteInPlace(path, target, bytes, durability);
        }
        struct stat folderStat {};
        if (::stat(folder.c_str(), &folderStat) != 0) {
            return Fail(path, "the folder does not exist", errno);
        }
        return Fail(path, "the folder does not allow new files", error);
    }
    ::fcntl(fd, F_SETFD, FD_CLOEXEC);

    int error = WriteAll(fd, bytes);
    if (error == 0) {
        const mode_t mode = exists ? (old.st_mode & 07777) : DefaultMode();
        ::fchmod(fd, mode);
        if (exists && (old.st_uid != ::geteuid() || old.st_gid != ::getegid())) {
            // Keep the owner when we may (as root); a failure here is harmless.
            [[maybe_unused]] const int ignored = ::fchown(fd, old.st_uid, old.st_gid);
        }
        if (durability == Durability::Flushed && ::fsync(fd) != 0) {
            error = errno;
        }
    }
    if (::close(fd) != 0 && error == 0) {
        error = errno;
    }
    if (error == 0 && ::rename(temp.c_str(), target.c_str()) != 0) {
        error = errno;
    }
    if (error != 0) {
        ::unlink(temp.c_str());
        return Fail(path, error == ENOSPC ? "the disk is full" : "the file could not be written",
                    error);
    }
    // The folder itself is not synced: should the machine stop before the rename reaches
    // the disk, the old file is still there, whole, which is all a save promises.
    return Result::Success();
}

}  // namespace zrb
