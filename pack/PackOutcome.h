#pragma once
// What a pack came to, in one message for the user: worked out from the script runner's
// report where there is one, and from what can be seen in the archive folder where there
// is none. Plain string work: no file system, no window.

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace zrb {

// One archiver call as the runner reported it.
struct ArchiverCall {
    int status = 0;                    // exit status; -1: it was not started
    std::string words;                 // what the runner and the archiver said
    std::vector<std::string> command;  // the command as the script names it, then its words
};

struct PackReport {
    bool started = false;  // the runner got as far as running the script
    bool ended = false;    // it ran the script to its end
    std::vector<ArchiverCall> calls;
};

// Reads the runner's report: "start", one "call" line per archiver call (TAB-separated:
// status, words, command words; \\ \t \r \n escaped), "end". A last line without its
// line end is still being written and is left out; unknown lines are skipped.
PackReport ParsePackReport(std::string_view text);

// What the message is about.
struct PackFacts {
    std::string archiveFile;          // "vehicles.sqs"
    std::string archiveFolder;        // where the copies and the script are
    std::vector<std::string> models;  // in the script's order
    std::string archiver;             // which archiver ran, in words
};

struct PackOutcome {
    std::string message;
    bool allPacked = false;  // every model was seen to go into the archive
};

// The outcome from the runner's report.
PackOutcome OutcomeFromReport(const PackReport& report, const PackFacts& facts);

// What can be seen in the archive folder once a script that reports nothing has ended.
struct ArchiveSeen {
    bool existedBefore = false;
    bool existsAfter = false;
    std::uint64_t sizeBefore = 0;
    std::uint64_t sizeAfter = 0;
    std::int64_t timeBefore = 0;
    std::int64_t timeAfter = 0;
    std::vector<std::string> copiesLeft;  // model copies still in the archive folder
};

// The outcome from what was seen: never a success, since the archiver's own words
// cannot be read; a failure where the archive is unchanged or copies were left.
PackOutcome OutcomeFromArchive(const ArchiveSeen& seen, const PackFacts& facts);

// "Packing: 120 of 5000 models into vehicles.sqs" while the count is known, else
// "Packing into vehicles.sqs".
std::string PackProgressText(std::size_t done, std::size_t total, std::string_view archiveFile);

// Why a second pack into `archiveFolder` is refused while one runs there.
std::string StillRunningMessage(std::string_view archiveFolder);

}  // namespace zrb
