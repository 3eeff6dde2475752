#pragma once
// The file operations a pack plan is carried out with: a thin layer over the system.

#include <string>

#include "model/Result.h"

namespace zrb {

enum class CopyMode {
    Data,        // a model: read and write for everyone the umask allows
    Executable,  // the archiver: also executable, so the runner can start it
};

// Copies `source` to `destination`, replacing an existing destination without asking,
// also a read-only one. The destination is always a new file: an old destination that
// is a link to the source (symbolic or hard) is replaced, never written through. On
// failure no partial destination remains and the message names both files and the
// system's reason.
Result CopyFileReplacing(const std::string& source, const std::string& destination, CopyMode mode);

// Whether two folder paths name the same folder on disk, after links, "." and ".." are
// resolved. An empty path is the root folder. False when either cannot be looked at.
bool IsSameFolder(const std::string& a, const std::string& b);

// Succeeds when `path` is a regular file (links followed); otherwise says that the
// archiver was expected there.
Result CheckArchiverPresent(const std::string& path);

// Removes `path` if it exists. Failures are not reported: what is removed is a leftover.
void RemoveFileIfPresent(const std::string& path);

}  // namespace zrb
