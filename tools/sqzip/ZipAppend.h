#pragma once
// Adding one entry to a ZIP archive in place: the new entry goes where the central
// directory was, followed by the old directory with the new entry's record and the end
// record. Only the archive's tail is written, so adding to an archive of n entries costs
// the same whatever n is, and packing many models one by one grows linearly.

#include <cstdint>
#include <ctime>
#include <string>
#include <string_view>

#include "platform/Platform.h"

namespace zrb {

enum class AppendOutcome {
    Done,     // the entry was added and is on the disk
    NotHere,  // nothing written: the archive needs a full rewrite (an entry of that name,
              // ZIP64, bytes after the end record, anything unusual)
    Failed,   // writing failed; the archive's bytes were put back as they were
    Damaged,  // writing failed, and so did putting the bytes back
};

// Appends `data` as entry `name`, modified at `modified`, to the archive open in
// `archive` (an empty file is an empty archive). `why` says what failed.
AppendOutcome AppendEntry(LockedFile& archive, std::string_view name, std::string_view data,
                          std::time_t modified, std::string& why);

}  // namespace zrb
