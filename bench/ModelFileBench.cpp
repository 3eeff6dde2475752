// Saving and reading one model file against the least the system needs to do the same.

#include <benchmark/benchmark.h>
#include <fcntl.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <string>

#include "BenchFolder.h"
#include "BenchTable.h"
#include "model/ModelFile.h"

namespace {

using zrb::bench::WorkedExample;

std::string BenchFolder() {
    return zrb::bench::BenchRoot();
}

const zrb::bench::RegisterPair kSave("Save Changes (atomic, durable)", 1.3);
const zrb::bench::RegisterPair kRead("Read one model file", 2.0);

bool Save(const std::string& path, zrb::MotionModel& model) {
    return static_cast<bool>(zrb::WriteModelFile(path, model, zrb::ModelFileVariant::SaveChanges));
}

// Open, write, flush to disk and rename: what any durable replacement of a file costs.
bool SaveReference(const std::string& path, const std::string& bytes) {
    const std::string temp = path + ".tmp";
    const int fd = ::open(temp.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    if (fd < 0) {
        return false;
    }
    const bool written =
        ::write(fd, bytes.data(), bytes.size()) == static_cast<ssize_t>(bytes.size()) &&
        ::fsync(fd) == 0;
    return ::close(fd) == 0 && written && ::rename(temp.c_str(), path.c_str()) == 0;
}

void SaveBench(benchmark::State& state) {
    const std::string path = BenchFolder() + "/save.zrb";
    const std::string referencePath = BenchFolder() + "/save-ref.zrb";
    zrb::MotionModel model = WorkedExample();
    const std::string bytes = zrb::ModelFileBytes(model, zrb::ModelFileVariant::SaveChanges);
    zrb::bench::RunInTurns(
        state, kSave.operation, benchmark::kMicrosecond,
        [&] { return zrb::bench::SecondsOf([&] { return Save(path, model); }); },
        [&] { return zrb::bench::SecondsOf([&] { return SaveReference(referencePath, bytes); }); });
}
BENCHMARK(SaveBench)
    ->Name("Save Changes (atomic, durable), in turns")
    ->Unit(benchmark::kMicrosecond)
    ->UseManualTime();

bool ReadReference(const std::string& path) {
    char buffer[4096];
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) {
        return false;
    }
    ssize_t n = 0;
    while ((n = ::read(fd, buffer, sizeof buffer)) > 0) {
        benchmark::DoNotOptimize(buffer);
    }
    return ::close(fd) == 0 && n == 0;
}

void ReadBench(benchmark::State& state) {
    const std::string path = BenchFolder() + "/read.zrb";
    zrb::MotionModel model = WorkedExample();
    if (!Save(path, model)) {
        state.SkipWithError("could not write the model to read");
        return;
    }
    zrb::MotionModel read;
    std::string speed;
    zrb::bench::RunInTurns(
        state, kRead.operation, benchmark::kMicrosecond,
        [&] {
            return zrb::bench::SecondsOf([&] {
                const bool opened = zrb::ReadModelFile(path, read, speed).ok();
                benchmark::DoNotOptimize(read);
                return opened;
            });
        },
        [&] { return zrb::bench::SecondsOf([&] { return ReadReference(path); }); });
}
BENCHMARK(ReadBench)
    ->Name("Read one model file, in turns")
    ->Unit(benchmark::kMicrosecond)
    ->UseManualTime();

}  // namespace
