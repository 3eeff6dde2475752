#include "tools/sqzip/Sqzip.h"

#include <zip.h>

#include <algorithm>
#include <charconv>
#include <cstdint>
#include <cstring>
#include <ctime>
#include <filesystem>
#include <istream>
#include <ostream>
#include <sstream>

#include "platform/Paths.h"
#include "platform/Platform.h"
#include "platform/Text.h"
#include "tools/sqzip/ZipAppend.h"

namespace zrb {
namespace {

constexpr int kSuccess = 0;
constexpr int kFailure = 1;
constexpr int kBadUsage = 2;

constexpr const char* kUsage =
    "usage: sqzip -a [-f] FILE ARCHIVE   add FILE to ARCHIVE under its bare name,\n"
    "                                    replacing an entry of that name\n"
    "                                    (-f: create ARCHIVE when it does not exist)\n"
    "       sqzip -l ARCHIVE             list the entries of ARCHIVE\n";

std::string ToSlashes(std::string path) {
    std::replace(path.begin(), path.end(), '\\', '/');
    return path;
}

std::string ZipErrorText(int code) {
    zip_error_t error;
    zip_error_init_with_code(&error, code);
    std::string text = zip_error_strerror(&error);
    zip_error_fini(&error);
    return text;
}

struct InputFile {
    std::string bytes;
    time_t modified = 0;
};

// The whole input is read before the archive is opened, so a missing or unreadable file
// is reported without touching the archive, and libzip never reads a file that might
// change while the archive is written.
Result ReadInput(const std::string& path, const std::string& shownName, InputFile& input) {
    // The archive format holds 4 GiB per entry without its 64-bit extension.
    constexpr std::uint64_t kMaxInputBytes = 0xFFFFFFFFu;
    std::int64_t modified = 0;
    if (Result read = ReadWholeFile(path, input.bytes, kMaxInputBytes, &modified); !read) {
        return Result::Failure("cannot read '" + shownName + "': " + read.message());
    }
    input.modified = static_cast<time_t>(modified);
    return Result::Success();
}

// Adds the entry by appending to the locked archive. False when it is left to the full
// rewrite: the archive could not be opened here (the rewrite then says why), or it is not
// one that can be appended to; the lock, where one was taken, stays held in `locked`.
bool AddInPlace(const std::string& archive, const std::string& archiveArg,
                const std::string& entryName, const InputFile& input, bool create,
                LockedFile& locked, std::ostream& err, int& status) {
    if (!locked.Open(archive, create)) {
        return false;
    }
    std::string why;
    const AppendOutcome outcome = AppendEntry(locked, entryName, input.bytes, input.modified, why);
    if (outcome == AppendOutcome::Done) {
        status = kSuccess;
        return true;
    }
    if (outcome == AppendOutcome::NotHere) {
        return false;
    }
    const bool created = locked.created();
    if (created) {
        locked.RemoveAndClose();
    }
    err << "sqzip: cannot write archive '" << archiveArg << "': " << why
        << (created                            ? "; no archive was created"
            : outcome == AppendOutcome::Failed ? "; the archive is unchanged"
                                               : "")
        << "\n";
    status = kFailure;
    return true;
}

int Add(const std::string& fileArg, const std::string& archiveArg, bool create, std::ostream& err) {
    const std::string file = ToSlashes(fileArg);
    const std::string archive = ToSlashes(archiveArg);
    const std::string entryName = BaseName(file);
    if (entryName.empty() || entryName == "." || entryName == "..") {
        err << "sqzip: '" << fileArg << "' does not name a file\n";
        return kFailure;
    }

    InputFile input;
    if (Result read = ReadInput(file, fileArg, input); !read) {
        err << "sqzip: " << read.message() << "\n";
        return kFailure;
    }

    const bool archiveExisted = KindOf(archive) != EntryKind::Missing;
    const std::string unchanged =
        archiveExisted ? "; the archive is unchanged" : "; no archive was created";

    // Held until this function returns, the libzip rewrite below included.
    LockedFile locked;
    if (int status = kSuccess;
        AddInPlace(archive, archiveArg, entryName, input, create, locked, err, status)) {
        return status;
    }

    int openError = 0;
    zip_t* zip = zip_open(archive.c_str(), create ? ZIP_CREATE : 0, &openError);
    if (zip == nullptr) {
        err << "sqzip: cannot open archive '" << archiveArg << "': " << ZipErrorText(openError)
            << "\n";
        return kFailure;
    }
    // Nothing reaches the disk before zip_close, which writes a temporary file next to the
    // archive and renames it over the archive only when everything was written.
    auto abandon = [&](const std::string& what) {
        err << "sqzip: " << what << " '" << archiveArg << "': " << zip_strerror(zip) << unchanged
            << "\n";
        zip_discard(zip);
        return kFailure;
    };

    // libzip reads the buffer during zip_close; `input` outlives that call.
    zip_source_t* source = zip_source_buffer(zip, input.bytes.data(), input.bytes.size(), 0);
    if (source == nullptr) {
        return abandon("cannot add '" + fileArg + "' to archive");
    }
    const zip_int64_t index =
        zip_file_add(zip, entryName.c_str(), source, ZIP_FL_OVERWRITE | ZIP_FL_ENC_GUESS);
    if (index < 0) {
        zip_source_free(source);
        return abandon("cannot add '" + fileArg + "' to archive");
    }
    if (zip_file_set_mtime(zip, static_cast<zip_uint64_t>(index), input.modified, 0) != 0) {
        return abandon("cannot add '" + fileArg + "' to archive");
    }
    if (zip_close(zip) != 0) {
        return abandon("cannot write archive");
    }
    return kSuccess;
}

int List(const std::string& archiveArg, std::ostream& out, std::ostream& err) {
    const std::string archive = ToSlashes(archiveArg);
    int openError = 0;
    zip_t* zip = zip_open(archive.c_str(), ZIP_RDONLY, &openError);
    if (zip == nullptr) {
        err << "sqzip: cannot open archive '" << archiveArg << "': " << ZipErrorText(openError)
            << "\n";
        return kFailure;
    }
    const zip_int64_t count = zip_get_num_entries(zip, 0);
    for (zip_int64_t i = 0; i < count; ++i) {
        const char* name = zip_get_name(zip, static_cast<zip_uint64_t>(i), 0);
        if (name == nullptr) {
            err << "sqzip: cannot read archive '" << archiveArg << "': " << zip_strerror(zip)
                << "\n";
            zip_discard(zip);
            return kFailure;
        }
        out << name << "\n";
    }
    zip_discard(zip);
    return kSuccess;
}

// A letter cluster of our own options: "-a", "-f", "-l" or several of them, any case.
bool IsOptionCluster(const std::string& arg) {
    return arg.size() > 1 && arg[0] == '-' &&
           std::all_of(arg.begin() + 1, arg.end(), [](char letter) {
               const char c = AsciiLower(letter);
               return c == 'a' || c == 'f' || c == 'l';
           });
}

// The archive named on the command line as it is to be written. libzip writes a new
// file and renames it over the name it opened: for a symbolic link that would put a
// plain file in the link's place and leave the real archive as it was, so the link's
// target is updated instead. False, with a message, for a link that leads nowhere.
bool ArchiveToWrite(const std::string& archiveArg, std::string& archive, std::ostream& err) {
    namespace fs = std::filesystem;
    const std::string path = ToSlashes(archiveArg);
    std::error_code error;
    if (!fs::is_symlink(path, error)) {
        archive = archiveArg;
        return true;
    }
    const fs::path target = fs::canonical(path, error);
    if (error) {
        err << "sqzip: archive '" << archiveArg
            << "' is a symbolic link to a file that cannot be reached (" << error.message()
            << "); nothing was written\n";
        return false;
    }
    archive = target.string();
    return true;
}

int BadUsage(std::ostream& err, const std::string& problem) {
    err << "sqzip: " << problem << "\n" << kUsage;
    return kBadUsage;
}

}  // namespace

int SqzipMain(const std::vector<std::string>& args, std::ostream& out, std::ostream& err) {
    bool add = false;
    bool list = false;
    bool create = false;
    bool optionsEnded = false;
    std::vector<std::string> operands;
    for (const std::string& arg : args) {
        if (!optionsEnded && (arg == "-h" || arg == "--help")) {
            out << kUsage;
            return kSuccess;
        }
        // The operands follow the options: once the command is known, the first word
        // that is not one of our options is a file, whatever its first character (a
        // model may be called "-x.zrb").
        if (!optionsEnded && (add || list) && !IsOptionCluster(arg) && arg != "--") {
            optionsEnded = true;
        }
        if (!optionsEnded && arg == "--") {
            optionsEnded = true;
        } else if (!optionsEnded && arg.size() > 1 && arg[0] == '-') {
            for (char letter : arg.substr(1)) {
                switch (AsciiLower(letter)) {
                    case 'a':
                        add = true;
                        break;
                    case 'l':
                        list = true;
                        break;
                    case 'f':
                        create = true;
                        break;
                    default:
                        return BadUsage(err, "unknown option '" + arg + "'");
                }
            }
        } else {
            operands.push_back(arg);
        }
    }

    if (add == list) {
        return BadUsage(err, "give either -a or -l");
    }
    if (add) {
        if (operands.size() != 2) {
            return BadUsage(err, "-a takes a file and an archive");
        }
        std::string archive;
        if (!ArchiveToWrite(operands[1], archive, err)) {
            return kFailure;
        }
        return Add(operands[0], archive, create, err);
    }
    if (create) {
        return BadUsage(err, "-f goes only with -a");
    }
    if (operands.size() != 1) {
        return BadUsage(err, "-l takes one archive");
    }
    return List(operands[0], out, err);
}

namespace {

// A count on a line of its own, in decimal; false at the end of `in` or for anything else.
bool ReadCount(std::istream& in, std::size_t& count) {
    std::string line;
    if (!std::getline(in, line) || line.empty()) {
        return false;
    }
    const auto [end, error] = std::from_chars(line.data(), line.data() + line.size(), count);
    return error == std::errc() && end == line.data() + line.size();
}

template <typename Number>
std::string Decimal(Number number) {
    char text[24];
    return std::string(text, std::to_chars(text, text + sizeof text, number).ptr);
}

}  // namespace

int SqzipServe(std::istream& in, std::ostream& out) {
    out << kServeGreeting << "\n" << std::flush;
    // Far above what a script's line holds.
    constexpr std::size_t kMaxArgs = 1 << 16;
    constexpr std::size_t kMaxBytes = std::size_t{1} << 24;
    for (;;) {
        if (in.peek() == std::istream::traits_type::eof()) {
            return kSuccess;
        }
        std::size_t count = 0;
        if (!ReadCount(in, count) || count > kMaxArgs) {
            return kBadUsage;
        }
        std::vector<std::string> args(count);
        for (std::string& arg : args) {
            std::size_t size = 0;
            if (!ReadCount(in, size) || size > kMaxBytes) {
                return kBadUsage;
            }
            arg.resize(size);
            if (!in.read(arg.data(), static_cast<std::streamsize>(size))) {
                return kBadUsage;
            }
        }
        // One stream for both, as the runner merges a process's output and error.
        std::ostringstream said;
        const int status = SqzipMain(args, said, said);
        const std::string text = said.str();
        out << Decimal(status) << ' ' << Decimal(text.size()) << '\n' << text << std::flush;
    }
}

}  // namespace zrb
