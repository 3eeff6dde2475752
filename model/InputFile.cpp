#include "model/InputFile.h"

#include <algorithm>

namespace zrb {

namespace {

std::string CouldNotRead(const std::string& path, const std::string& why) {
    return "Could not read \"" + path + "\"" + why;
}

}  // namespace

void InputFile::OpenBytes(std::string_view bytes, const std::string& path) {
    path_ = path;
    bytes_ = bytes;
    inMemory_ = true;
    read_ = 0;
}

Result InputFile::Open(const std::string& path) {
    path_ = path;
    inMemory_ = false;
    if (Result opened = file_.Open(path); !opened) {
        return Result::Failure(CouldNotRead(path, ": " + opened.message()));
    }
    if (file_.size() > kMaxModelFileBytes) {
        return Result::Failure(CouldNotRead(path, ": it is far too large to be a motion model (" +
                                                      std::to_string(file_.size()) + " bytes)"));
    }
    return Result::Success();
}

long InputFile::Read(char* data, std::size_t size) {
    if (inMemory_) {
        const std::size_t n = std::min(size, bytes_.size() - static_cast<std::size_t>(read_));
        bytes_.copy(data, n, static_cast<std::size_t>(read_));
        read_ += n;
        return static_cast<long>(n);
    }
    // One byte over the limit is enough to tell that the file has grown past it.
    const std::uint64_t room = kMaxModelFileBytes + 1 - read_;
    const long n = file_.Read(data, size < room ? size : static_cast<std::size_t>(room));
    if (n < 0) {
        return -1;
    }
    read_ += static_cast<std::uint64_t>(n);
    if (read_ > kMaxModelFileBytes) {
        tooLarge_ = true;
        return -1;
    }
    return n;
}

std::string InputFile::ReadFailure() const {
    if (tooLarge_) {
        return CouldNotRead(path_, ": it grew too large to be a motion model while it was read");
    }
    return CouldNotRead(path_, ": reading it failed (" + file_.Reason() + ")");
}

Result ReadModelBytes(const std::string& path, std::string& bytes) {
    bytes.clear();
    InputFile file;
    if (Result opened = file.Open(path); !opened) {
        return opened;
    }
    char buffer[4096];
    for (;;) {
        const long n = file.Read(buffer, sizeof buffer);
        if (n < 0) {
            bytes.clear();
            return Result::Failure(file.ReadFailure());
        }
        if (n == 0) {
            return Result::Success();
        }
        bytes.append(buffer, static_cast<std::size_t>(n));
    }
}

}  // namespace zrb
