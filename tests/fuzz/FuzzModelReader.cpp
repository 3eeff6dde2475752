// Any bytes as a model file: the reader must not crash, must keep its line rules, and
// what it reads must survive a write and a second read unchanged.

#include <sys/mman.h>
#include <unistd.h>

#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "model/ModelFile.h"

namespace {

// The reader takes a path; an in-memory file keeps the fuzzer off the disk.
std::string MemoryFile(const std::string& name, const std::uint8_t* data, std::size_t size) {
    const int fd = ::memfd_create(name.c_str(), 0);
    if (fd < 0) {
        std::abort();
    }
    std::size_t done = 0;
    while (done < size) {
        const ssize_t n = ::write(fd, data + done, size - done);
        if (n <= 0) {
            std::abort();
        }
        done += static_cast<std::size_t>(n);
    }
    return "/proc/self/fd/" + std::to_string(fd);
}

void CloseMemoryFile(const std::string& path) {
    ::close(std::atoi(path.c_str() + std::string("/proc/self/fd/").size()));
}

bool AllFinite(const zrb::MotionModel& model) {
    for (const zrb::ModelKey& key : zrb::ModelKeys()) {
        if (!std::isfinite(model.*key.field)) {
            return false;
        }
    }
    return true;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string path = MemoryFile("zrb-fuzz", data, size);
    zrb::MotionModel model;
    std::string speed;
    if (!zrb::ReadModelFile(path, model, speed)) {
        std::abort();
    }
    CloseMemoryFile(path);
    if (model.description.size() > 1023) {
        std::abort();
    }
    if (model.description.find('\n') != std::string::npos) {
        std::abort();
    }
    if (!AllFinite(model)) {
        return 0;  // the writer refuses such a model
    }
    // Written once, the values are rounded to the file's digits; from then on a
    // write-read cycle must not change a byte.
    zrb::EnsureDescriptionPrefix(model);
    const std::string first = zrb::ModelFileBytes(model, zrb::ModelFileVariant::SaveAsNew);
    zrb::MotionModel again;
    std::string speedAgain;
    const std::string firstPath =
        MemoryFile("zrb-fuzz-1", reinterpret_cast<const std::uint8_t*>(first.data()), first.size());
    const bool firstRead = zrb::ReadModelFile(firstPath, again, speedAgain).ok();
    CloseMemoryFile(firstPath);
    if (!firstRead) {
        std::abort();
    }
    if (again.description != model.description.substr(0, 1023)) {
        std::abort();
    }
    const std::string second = zrb::ModelFileBytes(again, zrb::ModelFileVariant::SaveAsNew);
    zrb::MotionModel third;
    const std::string secondPath = MemoryFile(
        "zrb-fuzz-2", reinterpret_cast<const std::uint8_t*>(second.data()), second.size());
    const bool secondRead = zrb::ReadModelFile(secondPath, third, speedAgain).ok();
    CloseMemoryFile(secondPath);
    if (!secondRead) {
        std::abort();
    }
    if (zrb::ModelFileBytes(third, zrb::ModelFileVariant::SaveAsNew) != second) {
        std::abort();
    }
    return 0;
}
