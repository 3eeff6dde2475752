#include "model/InputFile.h"

namespace zrb {

namespace {

std::string CouldNotRead(const std::string& path, const std::string& why) {
    return "Could not read \"" + path + "\"" + why;
}

}  // namespace

Result InputFile::Open(const std::string& path) {
    path_ = path;
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

}  // namespace zrb
