#pragma once
// Saving a whole file so that a failure, or a killed process, never leaves a cut file.

#include <string>
#include <string_view>

#include "platform/Result.h"

namespace zrb {

// Whether a save waits until its bytes are on the disk. Model files do: a save is the
// user's work. A file that is used at once and thrown away need not survive a power cut,
// and flushing it would also wait for every file written just before it.
enum class Durability { Flushed, CacheOnly };

// Replaces the content of `path` by `bytes`: writes a temporary file in the same folder
// (".<name>.tmp-XXXXXX", or ".zrb-XXXXXX.tmp" when that would pass the system's limit
// on a name; never ending in ".zrb"), flushes it to disk (unless CacheOnly), gives it the
// permission bits of the old file and renames it over `path`. A symbolic link stays a
// link: its target is replaced. A read-only target fails, and so does a folder that
// takes no new file: the old file is never cut to be written in place. On failure the
// old file is unchanged, no temporary file remains, and the message names the file and
// the system's reason ("the name is too long" for a name the system refuses for its
// length). Stale temporary files of earlier, killed saves are removed.
Result SaveFileAtomically(const std::string& path, std::string_view bytes,
                          Durability durability = Durability::Flushed);

// Test seam: every write(2) of SaveFileAtomically goes through this function. Tests set
// it to inject faults such as ENOSPC; nullptr restores the real write.
using WriteFunction = long (*)(int fd, const void* data, unsigned long size);
void SetWriteFunctionForTesting(WriteFunction function);

}  // namespace zrb
