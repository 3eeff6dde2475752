// Watching the runner: its report tells how far it is and what each archiver call said;
// its lock tells whether it still runs.

#include <string>

#include "pack/PackWatch.h"
#include "pack/ScriptLauncher.h"
#include "platform/Platform.h"

namespace zrb {

namespace {

// A terminal may take a while to open; a runner not started by then never will be.
constexpr std::chrono::seconds kStartWithin{60};

PackReport ReadReport(const RunningPack& pack) {
    // Far above a report of a hundred thousand calls with their words.
    constexpr std::uint64_t kMaxReportBytes = std::uint64_t{1} << 28;
    std::string text;
    if (!ReadWholeFile(JoinPath(pack.archiveFolder, kReportName), text, kMaxReportBytes)) {
        return {};
    }
    return ParsePackReport(text);
}

}  // namespace

PackState PollPack(const RunningPack& pack) {
    const PackReport report = ReadReport(pack);
    PackState state;
    state.done = report.calls.size();
    state.total = pack.models.size();
    const bool running = IsFileLocked(JoinPath(pack.archiveFolder, kLockName));
    state.ended = report.ended || (report.started && !running) ||
                  (!report.started && !running &&
                   std::chrono::steady_clock::now() - pack.launched > kStartWithin);
    return state;
}

PackOutcome FinishPack(const RunningPack& pack) {
    const PackReport report = ReadReport(pack);
    if (!report.started) {
        return {"The pack script for " + pack.archiveFile +
                    " did not start: nothing was packed. The model copies and the script are "
                    "still in " +
                    pack.archiveFolder + ".",
                false};
    }
    PackOutcome outcome = OutcomeFromReport(
        report, PackFacts{pack.archiveFile, pack.archiveFolder, pack.models, pack.archiver});
    if (report.ended) {
        if (!pack.copiedArchiver.empty()) {
            RemoveFileIfPresent(pack.copiedArchiver);
        }
        RemoveFileIfPresent(pack.scriptPath);
        RemoveFileIfPresent(JoinPath(pack.archiveFolder, kScriptLogName));
        RemoveFileIfPresent(JoinPath(pack.archiveFolder, kReportName));
    }
    return outcome;
}

}  // namespace zrb
