#include "platform/Platform.h"

namespace zrb {

Result ReadWholeFile(const std::string& path, std::string& bytes, std::uint64_t maxBytes,
                     std::int64_t* modifiedTime) {
    ReadOnlyFile file;
    if (Result opened = file.Open(path); !opened) {
        return opened;
    }
    if (file.size() > maxBytes) {
        return Result::Failure("it is too large (" + std::to_string(file.size()) + " bytes)");
    }
    bytes.clear();
    char buffer[65536];
    for (;;) {
        const long count = file.Read(buffer, sizeof buffer);
        if (count < 0) {
            return Result::Failure(file.Reason());
        }
        if (count == 0) {
            break;
        }
        if (bytes.size() + static_cast<std::size_t>(count) > maxBytes) {
            return Result::Failure("it grew too large while it was read");
        }
        bytes.append(buffer, static_cast<std::size_t>(count));
    }
    if (modifiedTime != nullptr) {
        *modifiedTime = file.modifiedTime();
    }
    return Result::Success();
}

}  // namespace zrb
