#include "platform/Paths.h"

#include "platform/Text.h"

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

bool HasWildcard(std::string_view path) {
    std::size_t start = 0;
    for (std::size_t i = 0; i < path.size(); ++i) {
        if (IsPathSeparator(path[i])) {
            start = i + 1;
        }
    }
    return path.find_first_of("*?", start) != std::string_view::npos;
}

bool MatchesWildcard(std::string_view name, std::string_view pattern) {
    // Greedy with one backtrack point: the last "*" seen.
    std::size_t n = 0;
    std::size_t p = 0;
    std::size_t starP = std::string_view::npos;
    std::size_t starN = 0;
    while (n < name.size()) {
        if (p < pattern.size() && pattern[p] == '*') {
            starP = p++;
            starN = n;
        } else if (p < pattern.size() &&
                   (pattern[p] == '?' || AsciiLower(pattern[p]) == AsciiLower(name[n]))) {
            ++p;
            ++n;
        } else if (starP != std::string_view::npos) {
            p = starP + 1;
            n = ++starN;
        } else {
            return false;
        }
    }
    while (p < pattern.size() && pattern[p] == '*') {
        ++p;
    }
    return p == pattern.size();
}

std::vector<std::string> SplitWindowsCommandLine(std::string_view line) {
    std::size_t i = 0;
    // The program's name: up to the first blank outside quotes, backslashes as they are.
    for (bool quoted = false; i < line.size() && (quoted || !IsBlank(line[i])); ++i) {
        quoted = line[i] == '"' ? !quoted : quoted;
    }
    std::vector<std::string> args;
    while (true) {
        while (i < line.size() && IsBlank(line[i])) {
            ++i;
        }
        if (i >= line.size()) {
            return args;
        }
        std::string arg;
        bool quoted = false;
        while (i < line.size() && (quoted || !IsBlank(line[i]))) {
            if (line[i] == '\\') {
                std::size_t backslashes = 0;
                while (i < line.size() && line[i] == '\\') {
                    ++backslashes;
                    ++i;
                }
                if (i >= line.size() || line[i] != '"') {
                    arg.append(backslashes, '\\');
                    continue;
                }
                const bool ends = i + 1 >= line.size() || IsBlank(line[i + 1]);
                if (backslashes % 2 == 1 && quoted && ends) {
                    // "C:\my models\": the backslash is the folder's, the quote closes.
                    arg.append(backslashes / 2 + 1, '\\');
                    quoted = false;
                    ++i;
                    continue;
                }
                arg.append(backslashes / 2, '\\');
                if (backslashes % 2 == 1) {
                    arg += '"';
                    ++i;
                    continue;
                }
            }
            if (line[i] == '"') {
                if (quoted && i + 1 < line.size() && line[i + 1] == '"') {
                    arg += '"';  // "" inside quotes is a quote
                    i += 2;
                    continue;
                }
                quoted = !quoted;
                ++i;
                continue;
            }
            arg += line[i++];
        }
        args.push_back(std::move(arg));
    }
}

}  // namespace zrb
