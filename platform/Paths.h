#pragma once
// Paths as the system spells them. The separator lives here alone.

#include <string>
#include <string_view>
#include <vector>

namespace zrb {

#ifdef _WIN32
inline constexpr char kPathSeparator = '\\';
#else
inline constexpr char kPathSeparator = '/';
#endif

// Whether `c` separates folders: on Windows "/" does as well as "\".
constexpr bool IsPathSeparator(char c) {
#ifdef _WIN32
    return c == '\\' || c == '/';
#else
    return c == '/';
#endif
}

// Folder, separator, name.
std::string JoinPath(std::string_view folder, std::string_view name);

// What follows the last separator; all of `path` when it has none.
std::string BaseName(std::string_view path);

// What precedes the last separator: "." when there is none, the root when it is the first
// character.
std::string FolderOf(std::string_view path);

// Whether the last part of `path` holds a wildcard, "*" or "?".
bool HasWildcard(std::string_view path);

// Whether `name` matches `pattern`, in which "*" stands for any run of characters and "?"
// for one byte, ASCII letters compared without regard to case (as Windows compares
// names).
bool MatchesWildcard(std::string_view name, std::string_view pattern);

// The arguments of a Windows command line (UTF-8), the program's name left out, split
// as the C runtime splits them, with one exception: a `"` that follows a backslash and
// ends the argument closes the quotes, so "C:\my models\" is C:\my models\ rather
// than C:\my models" (and the rest of the line with it).
std::vector<std::string> SplitWindowsCommandLine(std::string_view line);

}  // namespace zrb
