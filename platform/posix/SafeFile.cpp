#include "platform/SafeFile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstring>
#include <filesystem>
#include <map>
#include <mutex>
#include <system_error>
#include <vector>

#include "platform/Paths.h"
#include "platform/Text.h"

namespace zrb {

namespace {

WriteFunction g_write = nullptr;

long DoWrite(int fd, const void* data, unsigned long size) {
    if (g_write != nullptr) {
        return g_write(fd, data, size);
    }
    return static_cast<long>(::write(fd, data, size));
}

Result Fail(const std::string& path, const std::string& what, int error) {
    return Result::Failure("Could not save " + Quote(path) + ": " + what +
                           (error != 0 ? " (" + std::string(std::strerror(error)) + ")" : ""));
}

Result TooLong(const std::string& path, std::size_t length, std::size_t limit) {
    return Fail(path,
                "the name is too long: " + std::to_string(length) +
                    " bytes, where the system allows " + std::to_string(limit),
                ENAMETOOLONG);
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

mode_t DefaultMode() {
    const mode_t mask = ::umask(0);
    ::umask(mask);
    return 0666 & ~mask;
}

// The name pattern of the temporary files: "." + file name + ".tmp-" + six letters or
// digits, as mkstemp fills them in. A name too long for that takes the short form
// ".zrb-" + six + ".tmp", whose file cannot be told from the name.
constexpr std::string_view kTempInfix = ".tmp-";
constexpr std::size_t kTempTail = 6;
constexpr std::string_view kShortPrefix = ".zrb-";
constexpr std::string_view kShortSuffix = ".tmp";
// The key under which stale short-form files are kept: no file name is empty.
constexpr std::string_view kShortKey = "";

bool IsTempTail(std::string_view tail) {
    if (tail.size() != kTempTail) {
        return false;
    }
    for (const char c : tail) {
        if (!IsAsciiLetter(c) && !IsAsciiDigit(c)) {
            return false;
        }
    }
    return true;
}

// Temporary files a killed save left behind. A folder is listed once per process, at its
// first save: listing a big folder on every save of a batch would cost more than the
// saves themselves. Files younger than a minute may belong to a save still running.
class StaleTemporaries {
  public:
    void RemoveFor(const std::string& folder, const std::string& base) {
        std::lock_guard lock(mutex_);
        auto listed = byFolder_.find(folder);
        if (listed == byFolder_.end()) {
            listed = byFolder_.emplace(folder, List(folder)).first;
        }
        auto own = listed->second.find(base);
        if (own == listed->second.end()) {
            return;
        }
        for (const std::filesystem::path& stale : own->second) {
            std::error_code ignored;
            std::filesystem::remove(stale, ignored);
        }
        listed->second.erase(own);
    }

    // The short-form files could be any long name's; each is old enough to be stale.
    void RemoveShortForm(const std::string& folder) { RemoveFor(folder, std::string(kShortKey)); }

  private:
    using ByBase = std::map<std::string, std::vector<std::filesystem::path>, std::less<>>;

    static ByBase List(const std::string& folder) {
        namespace fs = std::filesystem;
        ByBase found;
        const auto cutoff = fs::file_time_type::clock::now() - std::chrono::minutes(1);
        std::error_code ec;
        for (fs::directory_iterator it(folder, ec), end; !ec && it != end; it.increment(ec)) {
            const std::string name = it->path().filename().string();
            const std::size_t infix = name.rfind(kTempInfix);
            const bool shortForm =
                name.size() == kShortPrefix.size() + kTempTail + kShortSuffix.size() &&
                name.compare(0, kShortPrefix.size(), kShortPrefix) == 0 &&
                name.compare(name.size() - kShortSuffix.size(), kShortSuffix.size(),
                             kShortSuffix) == 0 &&
                IsTempTail(std::string_view(name).substr(kShortPrefix.size(), kTempTail));
            if (!shortForm &&
                (name.size() < 2 || name[0] != '.' || infix == std::string::npos || infix < 2 ||
                 !IsTempTail(std::string_view(name).substr(infix + kTempInfix.size())))) {
                continue;
            }
            std::error_code statError;
            if (!it->is_regular_file(statError) || it->last_write_time(statError) > cutoff ||
                statError) {
                continue;
            }
            found[shortForm ? std::string(kShortKey) : name.substr(1, infix - 1)].push_back(
                it->path());
        }
        return found;
    }

    std::mutex mutex_;
    std::map<std::string, ByBase> byFolder_;
};

StaleTemporaries& Stale() {
    static StaleTemporaries stale;
    return stale;
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
    const std::string folder = FolderOf(target);
    const std::string name = BaseName(target);
    const long limit = ::pathconf(folder.c_str(), _PC_NAME_MAX);
    const std::size_t nameMax = limit > 0 ? static_cast<std::size_t>(limit) : 255;
    if (name.size() > nameMax) {
        return TooLong(path, name.size(), nameMax);
    }
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
    } else if (errno == ENAMETOOLONG) {
        return Fail(path, "the name is too long", errno);
    } else if (errno != ENOENT) {
        return Fail(path, "the file cannot be reached", errno);
    }

    // The leading dot hides it, and the random tail keeps it from matching "*.zrb".
    const bool shortForm = 1 + name.size() + kTempInfix.size() + kTempTail > nameMax;
    std::string temp = folder + "/." + name + ".tmp-XXXXXX";
    if (shortForm) {
        temp = folder + "/" + std::string(kShortPrefix) + "XXXXXX" + std::string(kShortSuffix);
    }
    const int fd = shortForm ? ::mkstemps(temp.data(), static_cast<int>(kShortSuffix.size()))
                             : ::mkstemp(temp.data());
    if (fd < 0) {
        const int error = errno;
        if (error == ENAMETOOLONG) {
            return Fail(path, "the name is too long", error);
        }
        struct stat folderStat {};
        if (::stat(folder.c_str(), &folderStat) != 0) {
            return Fail(path, "the folder does not exist", errno);
        }
        // Writing the old file in place instead would cut it should the write fail.
        return Fail(
            path,
            "the folder " + Quote(folder) + " does not allow new files" +
                (exists ? ", so the file cannot be replaced safely; it was not changed" : ""),
            error);
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
        return Fail(path,
                    error == ENOSPC         ? "the disk is full"
                    : error == ENAMETOOLONG ? "the name is too long"
                                            : "the file could not be written",
                    error);
    }
    // The folder itself is not synced: should the machine stop before the rename reaches
    // the disk, the old file is still there, whole, which is all a save promises.
    Stale().RemoveFor(folder, name);
    Stale().RemoveShortForm(folder);
    return Result::Success();
}

}  // namespace zrb
