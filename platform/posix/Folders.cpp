#include <dirent.h>
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>

#include "platform/Paths.h"
#include "platform/Platform.h"

namespace zrb {

namespace {

const char* ForSystem(const std::string& folder) {
    return folder.empty() ? "/" : folder.c_str();
}

}  // namespace

Result ListFolder(const std::string& folder, std::vector<std::string>& names) {
    // readdir rather than std::filesystem: one system call per batch of entries and no
    // stat per name, which matters for folders of tens of thousands of models.
    DIR* dir = ::opendir(ForSystem(folder));
    if (dir == nullptr) {
        return Result::Failure(std::strerror(errno));
    }
    errno = 0;
    while (const dirent* entry = ::readdir(dir)) {
        const char* name = entry->d_name;
        if (std::strcmp(name, ".") != 0 && std::strcmp(name, "..") != 0) {
            names.emplace_back(name);
        }
        errno = 0;
    }
    const int error = errno;
    ::closedir(dir);
    return error == 0 ? Result::Success() : Result::Failure(std::strerror(error));
}

Result MatchWildcard(const std::string& pattern, std::vector<std::string>& names) {
    const std::size_t cut = pattern.rfind('/');
    const std::string folder = cut == std::string::npos ? "." : pattern.substr(0, cut);
    const std::string_view last = cut == std::string::npos
                                      ? std::string_view(pattern)
                                      : std::string_view(pattern).substr(cut + 1);
    std::vector<std::string> all;
    if (Result listed = ListFolder(folder, all); !listed) {
        return listed;
    }
    for (std::string& name : all) {
        if (MatchesWildcard(name, last)) {
            names.push_back(std::move(name));
        }
    }
    return Result::Success();
}

EntryKind KindOf(const std::string& path) {
    struct stat info {};
    if (::stat(ForSystem(path), &info) != 0) {
        return EntryKind::Missing;
    }
    if (S_ISREG(info.st_mode)) {
        return EntryKind::File;
    }
    return S_ISDIR(info.st_mode) ? EntryKind::Folder : EntryKind::Other;
}

bool IsSameFolder(const std::string& a, const std::string& b) {
    struct stat first {};
    struct stat second {};
    if (::stat(ForSystem(a), &first) != 0 || ::stat(ForSystem(b), &second) != 0) {
        return false;
    }
    return first.st_dev == second.st_dev && first.st_ino == second.st_ino;
}

std::string CurrentFolder() {
    std::string buffer(4096, '\0');
    while (::getcwd(buffer.data(), buffer.size()) == nullptr) {
        if (errno != ERANGE) {
            return {};
        }
        buffer.resize(buffer.size() * 2);
    }
    buffer.resize(std::strlen(buffer.c_str()));
    return buffer;
}

std::string ProgramFolder() {
    std::string buffer(4096, '\0');
    for (;;) {
        const ssize_t n = ::readlink("/proc/self/exe", buffer.data(), buffer.size());
        if (n < 0) {
            return {};
        }
        if (static_cast<std::size_t>(n) < buffer.size()) {
            buffer.resize(static_cast<std::size_t>(n));
            break;
        }
        buffer.resize(buffer.size() * 2);
    }
    const std::size_t slash = buffer.rfind('/');
    return slash == std::string::npos ? std::string() : buffer.substr(0, slash);
}

std::string HomeFolder() {
    if (const char* home = std::getenv("HOME"); home != nullptr && *home != '\0') {
        return home;
    }
    const passwd* user = ::getpwuid(::getuid());
    return user != nullptr && user->pw_dir != nullptr ? user->pw_dir : "";
}

bool IsWritableFolder(const std::string& folder) {
    return ::access(ForSystem(folder), W_OK | X_OK) == 0;
}

std::vector<std::string> ProgramArguments(int argc, char** argv) {
    return std::vector<std::string>(argv + (argc > 0 ? 1 : 0), argv + argc);
}

bool WriteStandardStream(StandardStream stream, std::string_view text) {
    const int fd = stream == StandardStream::Output ? STDOUT_FILENO : STDERR_FILENO;
    while (!text.empty()) {
        const ssize_t n = ::write(fd, text.data(), text.size());
        if (n < 0 && errno == EINTR) {
            continue;
        }
        if (n <= 0) {
            return false;
        }
        text.remove_prefix(static_cast<std::size_t>(n));
    }
    return true;
}

std::optional<std::string> Environment(const char* name) {
    const char* value = std::getenv(name);
    return value != nullptr ? std::optional<std::string>(value) : std::nullopt;
}

}  // namespace zrb
