#pragma once
// Folders of model files for the benchmarks, made once beside the build (on the disk the
// user's models would be on), or in memory where the disk's noise would drown what is
// measured.

#include <unistd.h>

#include <filesystem>
#include <string>
#include <vector>

#include "model/ModelFile.h"
#include "platform/Paths.h"
#include "tests/WorkedExample.h"

namespace zrb::bench {

using zrb::testing::WorkedExample;

// The reference for reading a fleet: each file read with the core reader alone.
inline bool ReadEachModel(const std::string& folder, const std::vector<std::string>& names) {
    MotionModel model;
    std::string speed;
    bool all = true;
    for (const std::string& name : names) {
        all = ReadModelFile(JoinPath(folder, name), model, speed).ok() && all;
    }
    return all;
}

inline std::string BenchRoot() {
    const std::string root = std::filesystem::current_path().string() + "/bench-files";
    std::filesystem::create_directories(root);
    return root;
}

// A folder of this run in memory (tmpfs), removed at exit; the disk folder where the
// machine has no /dev/shm.
inline std::string MemoryRoot() {
    struct Folder {
        std::string path;
        ~Folder() {
            std::error_code ignored;
            std::filesystem::remove_all(path, ignored);
        }
    };
    static const Folder folder = [] {
        if (!std::filesystem::is_directory("/dev/shm")) {
            return Folder{BenchRoot()};
        }
        const std::string path = "/dev/shm/zrb-bench-" + std::to_string(::getpid());
        std::filesystem::create_directories(path);
        return Folder{path};
    }();
    return folder.path;
}

// A folder holding `count` copies of the worked example, named in no sorted order.
inline std::string ModelFolder(int count, const std::string& root = BenchRoot()) {
    const std::string folder = root + "/models-" + std::to_string(count);
    if (std::filesystem::exists(folder + "/.complete")) {
        return folder;
    }
    std::filesystem::remove_all(folder);
    std::filesystem::create_directories(folder);
    const std::string bytes = ModelFileBytes(WorkedExample(), ModelFileVariant::SaveChanges);
    for (int i = 0; i < count; ++i) {
        // Mixed case and a scrambled order, as a modder's folder would have them.
        const unsigned scrambled = static_cast<unsigned>(i) * 2654435761u;
        const std::string name = std::string(i % 3 == 0 ? "Car_" : "truck_") +
                                 std::to_string(scrambled % 1000003u) + "_" + std::to_string(i) +
                                 ".zrb";
        FILE* out = std::fopen((folder + "/" + name).c_str(), "wb");
        std::fwrite(bytes.data(), 1, bytes.size(), out);
        std::fclose(out);
    }
    std::fclose(std::fopen((folder + "/.complete").c_str(), "wb"));
    return folder;
}

}  // namespace zrb::bench
