#pragma once
// What the pack tests share: temporary folders, file helpers, a window and a launcher
// that record what the pack commands ask of them.

#include <deque>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <optional>
#include <random>
#include <string>
#include <utility>
#include <vector>

#include "../FakeWindow.h"
#include "../TestFolder.h"
#include "model/Workspace.h"
#include "pack/ScriptLauncher.h"

namespace zrb::packtest {

namespace fs = std::filesystem;

using TempFolder = zrb::testing::TestFolder;
using zrb::testing::ReadBytes;
using zrb::testing::WriteBytes;

// Whether anything has that name, a dangling link included.
inline bool Exists(const std::string& path) {
    std::error_code ec;
    return fs::exists(fs::symlink_status(path, ec));
}

// Every regular file of a folder with its bytes, to prove that a folder is untouched.
inline std::map<std::string, std::string> Snapshot(const std::string& folder) {
    std::map<std::string, std::string> files;
    for (const auto& entry : fs::directory_iterator(folder)) {
        if (entry.is_regular_file()) {
            files[entry.path().filename().string()] = ReadBytes(entry.path().string());
        }
    }
    return files;
}

// Sets the process's current directory for one scope.
class CurrentDirectory {
  public:
    explicit CurrentDirectory(const std::string& folder) : old_(fs::current_path()) {
        fs::current_path(folder);
    }
    ~CurrentDirectory() {
        std::error_code ec;
        fs::current_path(old_, ec);
    }
    CurrentDirectory(const CurrentDirectory&) = delete;
    CurrentDirectory& operator=(const CurrentDirectory&) = delete;

  private:
    fs::path old_;
};

using FakeWindow = zrb::testing::FakeWindow;

// Records each launch and the script's bytes at that moment, starting nothing.
class RecordingLauncher : public ScriptLauncher {
  public:
    std::string readyFailure;   // non-empty: CheckReady fails with it
    std::string launchFailure;  // non-empty: Launch fails with it
    std::vector<std::string> readyChecks;
    std::vector<ScriptLaunch> launches;
    std::vector<std::string> scriptsAtLaunch;

    Result CheckReady(const std::string& startFolder) override {
        readyChecks.push_back(startFolder);
        return readyFailure.empty() ? Result::Success() : Result::Failure(readyFailure);
    }
    Result Launch(const ScriptLaunch& launch) override {
        launches.push_back(launch);
        scriptsAtLaunch.push_back(ReadBytes(launch.scriptPath));
        return launchFailure.empty() ? Result::Success() : Result::Failure(launchFailure);
    }
};

}  // namespace zrb::packtest
