#pragma once
// A pack whose script is running: what the editor keeps of it while it watches, how far
// it is, and what it came to once it has ended.

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "model/Workspace.h"
#include "pack/PackOutcome.h"
#include "pack/PackPlan.h"

namespace zrb {

struct RunningPack {
    int id = 0;  // the window's number for it
    std::string archiveFolder;
    std::string archiveFile;
    std::vector<std::string> models;  // in the script's order
    std::string archiver;             // which archiver runs, in words
    std::string copiedArchiver;       // the archiver copy the pack made; empty: none
    std::string scriptPath;
    std::chrono::steady_clock::time_point launched;
    // The archive as it was before the script ran.
    bool archiveExisted = false;
    std::uint64_t archiveSize = 0;
    std::int64_t archiveTime = 0;
    // Windows: the script's process handle, for the one who waits for it; 0: none.
    std::intptr_t process = 0;
};

// What is kept of `plan`, made for `workspace`, just before its script is started.
RunningPack WatchFor(const ModelWorkspace& workspace, const PackPlan& plan,
                     const std::vector<std::string>& models);

struct PackState {
    bool ended = false;
    std::size_t done = 0;   // archiver calls finished
    std::size_t total = 0;  // 0: how far it is cannot be told
};

// How far the script is. On Linux from the runner's report and lock; on Windows the
// script's process is waited for instead, and this tells only the total as unknown.
PackState PollPack(const RunningPack& pack);

// What the ended pack came to, for the user. Once it is known, the pack's own helper
// files in the archive folder go: the archiver if the pack copied it, the script, its
// log and report.
PackOutcome FinishPack(const RunningPack& pack);

}  // namespace zrb
