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

void SaveOurs(benchmark::State& state) {
    const std::string path = BenchFolder() + "/save.zrb";
    zrb::MotionModel model = WorkedExample();
    for (auto _ : state) {
        if (!zrb::WriteModelFile(path, model, zrb::ModelFileVariant::SaveChanges)) {
            state.SkipWithError("write failed");
        }
    }
}
BENCHMARK(SaveOurs)->Name("Save Changes (atomic, durable)/ours")->Unit(benchmark::kMicrosecond);

void SaveReference(benchmark::State& state) {
    const std::string path = BenchFolder() + "/save-ref.zrb";
    const std::string temp = path + ".tmp";
    zrb::MotionModel model = WorkedExample();
    const std::string bytes = zrb::ModelFileBytes(model, zrb::ModelFileVariant::SaveChanges);
    for (auto _ : state) {
        const int fd = ::open(temp.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
        if (fd < 0 ||
            ::write(fd, bytes.data(), bytes.size()) != static_cast<ssize_t>(bytes.size()) ||
            ::fsync(fd) != 0 || ::close(fd) != 0 || ::rename(temp.c_str(), path.c_str()) != 0) {
            state.SkipWithError("reference write failed");
        }
    }
}
BENCHMARK(SaveReference)
    ->Name("Save Changes (atomic, durable)/reference")
    ->Unit(benchmark::kMicrosecond);

void ReadOurs(benchmark::State& state) {
    const std::string path = BenchFolder() + "/read.zrb";
    zrb::MotionModel model = WorkedExample();
    (void)zrb::WriteModelFile(path, model, zrb::ModelFileVariant::SaveChanges);
    zrb::MotionModel read;
    std::string speed;
    for (auto _ : state) {
        zrb::ReadModelFile(path, read, speed);
        benchmark::DoNotOptimize(read);
    }
}
BENCHMARK(ReadOurs)->Name("Read one model file/ours")->Unit(benchmark::kMicrosecond);

void ReadReference(benchmark::State& state) {
    const std::string path = BenchFolder() + "/read.zrb";
    zrb::MotionModel model = WorkedExample();
    (void)zrb::WriteModelFile(path, model, zrb::ModelFileVariant::SaveChanges);
    char buffer[4096];
    for (auto _ : state) {
        const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
        ssize_t n = 0;
        while ((n = ::read(fd, buffer, sizeof buffer)) > 0) {
            benchmark::DoNotOptimize(buffer);
        }
        ::close(fd);
    }
}
BENCHMARK(ReadReference)->Name("Read one model file/reference")->Unit(benchmark::kMicrosecond);

}  // namespace
