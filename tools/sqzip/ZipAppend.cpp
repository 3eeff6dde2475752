#include "tools/sqzip/ZipAppend.h"

#include <zlib.h>

#include <algorithm>
#include <unordered_set>

namespace zrb {
namespace {

constexpr std::uint32_t kLocalSignature = 0x04034b50;
constexpr std::uint32_t kCentralSignature = 0x02014b50;
constexpr std::uint32_t kEndSignature = 0x06054b50;
constexpr std::uint32_t kZip64LocatorSignature = 0x07064b50;
constexpr std::size_t kEndSize = 22;
constexpr std::size_t kCentralSize = 46;
constexpr std::size_t kLocalSize = 30;
constexpr std::uint16_t kVersion = 20;         // 2.0: deflate
constexpr std::uint16_t kMadeByUnix = 3 << 8;  // external attributes are Unix modes
constexpr std::uint16_t kUtf8Name = 1 << 11;   // general purpose flag
constexpr std::uint32_t kFileMode = 0100644u << 16;

std::uint16_t Get16(std::string_view b, std::size_t at) {
    return static_cast<std::uint16_t>(static_cast<unsigned char>(b[at]) |
                                      static_cast<unsigned char>(b[at + 1]) << 8);
}

std::uint32_t Get32(std::string_view b, std::size_t at) {
    return static_cast<std::uint32_t>(Get16(b, at)) | static_cast<std::uint32_t>(Get16(b, at + 2))
                                                          << 16;
}

void Put16(std::string& b, std::uint32_t v) {
    b += static_cast<char>(v & 0xFF);
    b += static_cast<char>((v >> 8) & 0xFF);
}

void Put32(std::string& b, std::uint32_t v) {
    Put16(b, v & 0xFFFF);
    Put16(b, v >> 16);
}

// Where the end record starts in `tail` (the archive's last bytes), or npos. It is the
// last signature whose comment length reaches exactly to the end.
std::size_t FindEnd(std::string_view tail) {
    if (tail.size() < kEndSize) {
        return std::string_view::npos;
    }
    for (std::size_t at = tail.size() - kEndSize + 1; at-- > 0;) {
        if (Get32(tail, at) == kEndSignature &&
            at + kEndSize + Get16(tail, at + 20) == tail.size()) {
            return at;
        }
    }
    return std::string_view::npos;
}

bool IsUtf8(std::string_view text) {
    for (std::size_t i = 0; i < text.size();) {
        const auto c = static_cast<unsigned char>(text[i]);
        const std::size_t length = c < 0x80         ? 1
                                   : (c >> 5) == 6  ? 2
                                   : (c >> 4) == 14 ? 3
                                   : (c >> 3) == 30 ? 4
                                                    : 0;
        if (length == 0 || i + length > text.size()) {
            return false;
        }
        for (std::size_t k = 1; k < length; ++k) {
            if ((static_cast<unsigned char>(text[i + k]) >> 6) != 2) {
                return false;
            }
        }
        i += length;
    }
    return true;
}

// The name's flag as readers expect it: plain ASCII needs none; other UTF-8 says so;
// anything else is left to the reader's code page.
std::uint16_t NameFlags(std::string_view name) {
    const bool ascii = std::all_of(name.begin(), name.end(),
                                   [](char c) { return static_cast<unsigned char>(c) < 0x80; });
    return !ascii && IsUtf8(name) ? kUtf8Name : 0;
}

// The archive's date and time fields, in local time as other archivers write them;
// 1980 at the earliest, which is where the fields begin.
void DosTime(std::time_t when, std::uint16_t& date, std::uint16_t& time) {
    const std::tm* local = std::localtime(&when);
    if (local == nullptr || local->tm_year < 80) {
        date = (0 << 9) | (1 << 5) | 1;
        time = 0;
        return;
    }
    date = static_cast<std::uint16_t>(((local->tm_year - 80) << 9) | ((local->tm_mon + 1) << 5) |
                                      local->tm_mday);
    time = static_cast<std::uint16_t>((local->tm_hour << 11) | (local->tm_min << 5) |
                                      (local->tm_sec / 2));
}

// Raw deflate of `data`; false when it does not make it smaller (it is stored then).
bool Deflate(std::string_view data, std::string& packed) {
    z_stream stream{};
    if (deflateInit2(&stream, Z_DEFAULT_COMPRESSION, Z_DEFLATED, -MAX_WBITS, 8,
                     Z_DEFAULT_STRATEGY) != Z_OK) {
        return false;
    }
    packed.resize(deflateBound(&stream, static_cast<uLong>(data.size())));
    stream.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(data.data()));
    stream.avail_in = static_cast<uInt>(data.size());
    stream.next_out = reinterpret_cast<Bytef*>(packed.data());
    stream.avail_out = static_cast<uInt>(packed.size());
    const int done = deflate(&stream, Z_FINISH);
    packed.resize(stream.total_out);
    deflateEnd(&stream);
    return done == Z_STREAM_END && packed.size() < data.size();
}

struct Directory {
    std::uint64_t offset = 0;  // where the central directory starts
    std::uint16_t entries = 0;
    std::string records;    // the central directory's bytes
    std::string comment;    // the archive comment, kept
    std::string endRecord;  // the end record and comment as they were
};

// The directory this process last wrote, and the names in it: a process that adds many
// entries one after another (sqzip serving a script's runner) then neither looks for the
// end record nor parses the directory again for each, which would grow with the square
// of the count. It is used only while the archive's directory and end record are, byte
// for byte, the ones written, and end the file: the archive then reads as it did.
struct KnownDirectory {
    std::uint64_t size = 0;  // the archive's size after the write; 0: nothing known
    Directory dir;
    std::unordered_set<std::string> names;
};

// Whether the archive ends in the directory and end record `known` holds.
bool EndsAsKnown(const LockedFile& archive, const KnownDirectory& known) {
    const Directory& dir = known.dir;
    std::string tail;
    return known.size != 0 && archive.size() == known.size &&
           archive.ReadAt(dir.offset, static_cast<std::size_t>(known.size - dir.offset), tail) &&
           std::string_view(tail).substr(0, dir.records.size()) == dir.records &&
           std::string_view(tail).substr(dir.records.size()) == dir.endRecord;
}

KnownDirectory& Known() {
    static KnownDirectory known;
    return known;
}

// Reads the archive's directory when it is one this code can extend: no ZIP64, one disk,
// nothing after the end record, the directory right before it, and no entry `name`. The
// entries' names go to `names`.
bool ReadDirectory(const LockedFile& archive, std::string_view name, Directory& dir,
                   std::unordered_set<std::string>& names) {
    const std::uint64_t size = archive.size();
    if (size == 0) {
        return true;  // a new archive
    }
    const std::uint64_t tailSize = std::min<std::uint64_t>(size, kEndSize + 0xFFFF);
    std::string tail;
    if (!archive.ReadAt(size - tailSize, static_cast<std::size_t>(tailSize), tail)) {
        return false;
    }
    const std::size_t end = FindEnd(tail);
    if (end == std::string_view::npos) {
        return false;
    }
    const std::string_view record(tail.data() + end, kEndSize);
    const std::uint64_t endOffset = size - tailSize + end;
    const std::uint16_t entries = Get16(record, 10);
    const std::uint32_t dirSize = Get32(record, 12);
    const std::uint32_t dirOffset = Get32(record, 16);
    if (Get16(record, 4) != 0 || Get16(record, 6) != 0 || Get16(record, 8) != entries ||
        entries == 0xFFFF || dirOffset == 0xFFFFFFFFu ||
        std::uint64_t{dirOffset} + dirSize != endOffset ||
        (end >= 20 && Get32(tail, end - 20) == kZip64LocatorSignature)) {
        return false;
    }
    dir.offset = dirOffset;
    dir.entries = entries;
    dir.comment = tail.substr(end + kEndSize);
    dir.endRecord = tail.substr(end);
    if (!archive.ReadAt(dirOffset, dirSize, dir.records)) {
        return false;
    }
    std::size_t at = 0;
    for (std::uint16_t i = 0; i < entries; ++i) {
        if (at + kCentralSize > dir.records.size() || Get32(dir.records, at) != kCentralSignature) {
            return false;
        }
        const std::size_t nameLength = Get16(dir.records, at + 28);
        const std::size_t recordSize =
            kCentralSize + nameLength + Get16(dir.records, at + 30) + Get16(dir.records, at + 32);
        if (at + recordSize > dir.records.size()) {
            return false;
        }
        const std::string_view entry =
            std::string_view(dir.records).substr(at + kCentralSize, nameLength);
        if (entry == name) {
            return false;
        }
        names.emplace(entry);
        at += recordSize;
    }
    return at == dir.records.size();
}

}  // namespace

AppendOutcome AppendEntry(LockedFile& archive, std::string_view name, std::string_view data,
                          std::time_t modified, std::string& why) {
    // Taken apart for this write, and put back only once it is on the disk.
    KnownDirectory known = std::move(Known());
    Known() = {};
    Directory& dir = known.dir;
    if (name.size() > 0xFFFF || data.size() >= 0xFFFFFFFFu) {
        return AppendOutcome::NotHere;
    }
    if (!EndsAsKnown(archive, known)) {
        known = {};
        if (!ReadDirectory(archive, name, dir, known.names)) {
            return AppendOutcome::NotHere;
        }
    } else if (known.names.count(std::string(name)) != 0) {
        return AppendOutcome::NotHere;
    }
    std::string packed;
    const bool deflated = Deflate(data, packed);
    const std::string_view stored = deflated ? std::string_view(packed) : data;
    const std::uint64_t newDirOffset = dir.offset + kLocalSize + name.size() + stored.size();
    if (newDirOffset + dir.records.size() + kCentralSize + name.size() >= 0xFFFFFFFFu) {
        return AppendOutcome::NotHere;  // needs ZIP64
    }

    std::uint16_t date = 0;
    std::uint16_t time = 0;
    DosTime(modified, date, time);
    const auto crc = static_cast<std::uint32_t>(crc32(crc32(0, nullptr, 0),
                                                      reinterpret_cast<const Bytef*>(data.data()),
                                                      static_cast<uInt>(data.size())));
    const std::uint16_t flags = NameFlags(name);
    const std::uint16_t method = deflated ? Z_DEFLATED : 0;
    // The fields the local header and the directory record share, from "version needed".
    std::string common;
    Put16(common, kVersion);
    Put16(common, flags);
    Put16(common, method);
    Put16(common, time);
    Put16(common, date);
    Put32(common, crc);
    Put32(common, static_cast<std::uint32_t>(stored.size()));
    Put32(common, static_cast<std::uint32_t>(data.size()));
    Put16(common, static_cast<std::uint32_t>(name.size()));
    Put16(common, 0);  // no extra field

    // Written in three pieces: the new entry where the directory was, the directory as
    // it was after it, then the new entry's record and the end record. The directory,
    // the bulk of it, is never copied here.
    std::string entry;
    entry.reserve(kLocalSize + name.size() + stored.size());
    Put32(entry, kLocalSignature);
    entry += common;
    entry += name;
    entry += stored;
    std::string last;
    Put32(last, kCentralSignature);
    Put16(last, kMadeByUnix | kVersion);
    last += common;
    Put16(last, 0);  // no comment
    Put16(last, 0);  // disk 0
    Put16(last, 0);  // internal attributes
    Put32(last, kFileMode);
    Put32(last, static_cast<std::uint32_t>(dir.offset));
    last += name;
    const std::size_t recordSize = last.size();
    const auto entries = static_cast<std::uint16_t>(dir.entries + 1);
    const auto dirSize = static_cast<std::uint32_t>(dir.records.size() + recordSize);
    Put32(last, kEndSignature);
    Put16(last, 0);
    Put16(last, 0);
    Put16(last, entries);
    Put16(last, entries);
    Put32(last, dirSize);
    Put32(last, static_cast<std::uint32_t>(newDirOffset));
    Put16(last, static_cast<std::uint32_t>(dir.comment.size()));
    last += dir.comment;

    Result written = archive.WriteAt(dir.offset, entry);
    if (written) {
        written = archive.WriteAt(newDirOffset, dir.records);
    }
    if (written) {
        written = archive.WriteAt(newDirOffset + dir.records.size(), last);
    }
    if (written) {
        written = archive.Sync();
    }
    if (!written) {
        // The old directory and end record go back where they were, and the file to its
        // old length: the archive holds what it held.
        why = written.message();
        Result restored = archive.size() > 0
                              ? archive.WriteAt(dir.offset, dir.records + dir.endRecord)
                              : Result::Success();
        if (restored) {
            restored = archive.Truncate(archive.size());
        }
        if (restored) {
            restored = archive.Sync();
        }
        if (!restored) {
            why += "; putting the archive back failed too (" + restored.message() + ")";
            return AppendOutcome::Damaged;
        }
        return AppendOutcome::Failed;
    }
    // The directory as it now is on the disk, for the next entry.
    dir.records.append(last, 0, recordSize);
    dir.endRecord = last.substr(recordSize);
    dir.offset = newDirOffset;
    dir.entries = entries;
    known.names.emplace(name);
    known.size = dir.offset + dir.records.size() + dir.endRecord.size();
    Known() = std::move(known);
    return AppendOutcome::Done;
}

}  // namespace zrb
