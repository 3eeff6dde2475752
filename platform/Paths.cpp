#include "platform/Paths.h"

namespace zrb {

std::string JoinPath(std::string_view folder, std::string_view name) {
    std::string path;
    path.reserve(folder.size() + 1 + name.size());
    path += folder;
    path += kPathSeparator;
    path += name;
    return path;
}

std::string BaseName(std::string_view path) {
    const auto separator = path.rfind(kPathSeparator);
    return std::string(separator == std::string_view::npos ? path : path.substr(separator + 1));
}

std::string FolderOf(std::string_view path) {
    const auto separator = path.rfind(kPathSeparator);
    if (separator == std::string_view::npos) {
        return ".";
    }
    return separator == 0 ? std::string(1, kPathSeparator) : std::string(path.substr(0, separator));
}

}  // namespace zrb
