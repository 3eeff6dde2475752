#include <fcntl.h>
#include <iconv.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstdlib>
#include <cstring>

#include "platform/Paths.h"
#include "platform/Platform.h"

namespace zrb {

namespace {

std::string RealPath(const std::string& path) {
    char* resolved = ::realpath(path.empty() ? "/" : path.c_str(), nullptr);
    if (resolved == nullptr) {
        return {};
    }
    std::string result(resolved);
    std::free(resolved);
    return result;
}

// Writable by someone besides the owner: by everyone, or by a group that is not this
// user's own (a private group holds nobody else).
bool OthersMayWrite(const struct stat& info) {
    return (info.st_mode & S_IWOTH) != 0 ||
           ((info.st_mode & S_IWGRP) != 0 && info.st_gid != ::getgid());
}

bool OwnedByUserOrAdministrator(const struct stat& info) {
    return info.st_uid == ::getuid() || info.st_uid == 0;
}

}  // namespace

unsigned ScriptCodePage() {
    return 0;
}

std::optional<std::string> ToCodePage(const std::string& utf8, unsigned codePage) {
    const std::string target = "CP" + std::to_string(codePage);
    iconv_t convert = ::iconv_open(target.c_str(), "UTF-8");
    if (convert == reinterpret_cast<iconv_t>(-1)) {
        return std::nullopt;
    }
    std::string in = utf8;
    std::string out(utf8.size() * 4 + 4, '\0');
    char* from = in.data();
    std::size_t fromLeft = in.size();
    char* to = out.data();
    std::size_t toLeft = out.size();
    // No //TRANSLIT: a character without a place fails rather than turning into another.
    const std::size_t done = ::iconv(convert, &from, &fromLeft, &to, &toLeft);
    ::iconv_close(convert);
    if (done == static_cast<std::size_t>(-1) || fromLeft != 0) {
        return std::nullopt;
    }
    out.resize(out.size() - toLeft);
    return out;
}

Result WriteNewFile(const std::string& path, const std::string& bytes) {
    const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0666);
    if (fd < 0) {
        return Result::Failure(std::strerror(errno));
    }
    std::size_t done = 0;
    int error = 0;
    while (done < bytes.size()) {
        const ssize_t put = ::write(fd, bytes.data() + done, bytes.size() - done);
        if (put < 0) {
            if (errno == EINTR) {
                continue;
            }
            error = errno;
            break;
        }
        done += static_cast<std::size_t>(put);
    }
    if (::close(fd) != 0 && error == 0) {
        error = errno;
    }
    if (error != 0) {
        ::unlink(path.c_str());
        return Result::Failure(std::strerror(error));
    }
    return Result::Success();
}

bool IsLinkOutOfFolder(const std::string& path, const std::string& folder) {
    struct stat info {};
    if (::lstat(path.c_str(), &info) != 0 || !S_ISLNK(info.st_mode)) {
        return false;
    }
    const std::string target = RealPath(path);
    const std::string base = RealPath(folder);
    if (target.empty() || base.empty()) {
        return true;
    }
    const std::string prefix = base == "/" ? base : base + "/";
    return target.compare(0, prefix.size(), prefix) != 0;
}

Result CheckOnlyOwnerCanChange(const std::string& path) {
    struct stat info {};
    if (::lstat(path.c_str(), &info) != 0) {
        return Result::Failure(std::strerror(errno));
    }
    if (S_ISLNK(info.st_mode)) {
        return Result::Failure("it is a symbolic link");
    }
    if (!S_ISREG(info.st_mode)) {
        return Result::Failure("it is not a regular file");
    }
    if (!OwnedByUserOrAdministrator(info)) {
        return Result::Failure("it belongs to another user");
    }
    if (OthersMayWrite(info)) {
        return Result::Failure("other users may change it");
    }
    struct stat folder {};
    if (::stat(FolderOf(path).c_str(), &folder) != 0) {
        return Result::Failure(std::strerror(errno));
    }
    // In a sticky folder (such as /tmp) others may add files but not replace this one.
    if ((folder.st_mode & S_ISVTX) == 0 &&
        (!OwnedByUserOrAdministrator(folder) || OthersMayWrite(folder))) {
        return Result::Failure("other users may replace it in its folder");
    }
    return Result::Success();
}

}  // namespace zrb
